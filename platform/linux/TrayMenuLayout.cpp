#include "platform/linux/TrayMenuLayout.h"

#include <algorithm>

#include "platform/linux/TextConversion.h"

namespace zintra::platform::linux_x11 {

std::string MenuLabel(std::u16string_view text) {
    std::string label;
    for (const char c : ToUtf8(std::u16string(text))) {
        if (c == '_') label += '_';
        label += c;
    }
    return label;
}

TrayMenuLayout::TrayMenuLayout(const std::vector<TrayMenuEntry>& entries) : nodes_(1) {
    nodes_[0].properties.push_back({"children-display", std::string("submenu")});
    AddEntries(0, entries);
}

void TrayMenuLayout::AddEntries(int parent, const std::vector<TrayMenuEntry>& entries) {
    for (const TrayMenuEntry& entry : entries) {
        const int id = static_cast<int>(nodes_.size());
        nodes_.emplace_back();
        nodes_[parent].children.push_back(id);
        Node& node = nodes_[id];
        node.parent = parent;
        if (entry.separator) {
            node.properties.push_back({"type", std::string("separator")});
            continue;
        }
        node.properties.push_back({"label", MenuLabel(entry.text)});
        if (!entry.enabled) node.properties.push_back({"enabled", false});
        if (!entry.children.empty()) {
            node.properties.push_back({"children-display", std::string("submenu")});
        } else if (entry.enabled) {
            node.command = entry.command;
        }
        AddEntries(id, entry.children);  // `node` may move: it is not used after this
    }
}

const TrayMenuLayout::Node* TrayMenuLayout::Find(int id) const {
    return id >= 0 && static_cast<std::size_t>(id) < nodes_.size() ? &nodes_[static_cast<std::size_t>(id)] : nullptr;
}

std::vector<MenuProperty> TrayMenuLayout::Properties(int id, const std::vector<std::string>& names) const {
    const Node* node = Find(id);
    if (node == nullptr) return {};
    std::vector<MenuProperty> chosen;
    for (const MenuProperty& property : node->properties) {
        if (names.empty() || std::find(names.begin(), names.end(), property.name) != names.end()) {
            chosen.push_back(property);
        }
    }
    return chosen;
}

std::optional<int> TrayMenuLayout::Clicked(int id) const {
    const Node* node = Find(id);
    return node != nullptr ? node->command : std::nullopt;
}

}  // namespace zintra::platform::linux_x11
