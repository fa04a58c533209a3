#include "ui/controls/SMenuEx.h"

#include <algorithm>

#include <pugixml.hpp>

#include "ui/controls/SMenu.h"
#include "ui/core/SApplication.h"
#include "ui/core/TextUtil.h"

namespace zintra::ui {

namespace {

constexpr int kMaxMenuDepth = 8;

void ReadItems(const pugi::xml_node& parent, std::vector<MenuItem>& items, int depth) {
    if (depth > kMaxMenuDepth) return;
    for (const auto& node : parent.children()) {
        if (node.type() != pugi::node_element) continue;
        const std::string_view tag = node.name();
        MenuItem item;
        if (tag == "sep") {
            item.separator = true;
        } else if (tag == "menuItem") {
            item.id = ParseIntOr(node.attribute("id").as_string(), 0);
            item.icon = ParseIntOr(node.attribute("icon").as_string(), -1);
            item.disabled = ParseBoolOr(node.attribute("disable").as_string(), false);
            std::string text = node.attribute("text").as_string();
            if (text.empty()) text = std::string(Trim(node.child_value()));
            item.text = Utf8ToUtf16(text);
            ReadItems(node, item.children, depth + 1);
        } else {
            continue;
        }
        items.push_back(std::move(item));
    }
}

}  // namespace

bool SMenuEx::LoadMenu(std::string_view resourceName) {
    const auto* application = SApplication::Instance();
    if (application == nullptr) return false;
    const auto bytes = application->LoadResource(resourceName);
    return bytes && LoadMenuXml(*bytes);
}

bool SMenuEx::LoadMenuXml(std::string_view document) {
    if (SMenu::KindOf(document) != SMenu::Kind::Extended) return false;
    pugi::xml_document xml;
    if (!xml.load_buffer(document.data(), document.size())) return false;
    // The root (menuRoot, or the root item) carries the menu's looks.
    const pugi::xml_node root = xml.document_element();
    MenuData data;
    data.iconSkin = root.attribute("iconSkin").as_string();
    data.itemHeight = std::clamp(ParseIntOr(root.attribute("itemHeight").as_string(), 26), 1, 200);
    data.iconMargin = std::clamp(ParseIntOr(root.attribute("iconMargin").as_string(), 4), 0, 200);
    data.textMargin = std::clamp(ParseIntOr(root.attribute("textMargin").as_string(), 8), 0, 200);
    ReadItems(root, data.items, 0);
    data_ = std::move(data);
    loaded_ = true;
    return true;
}

int SMenuEx::TrackPopupMenu(std::uint32_t flags, int x, int y, platform::NativeWindow owner, int scalePercent) {
    if (!loaded_) return 0;
    // Nobody wants a menu too small to read or larger than the screen.
    data_.scalePercent = std::clamp(scalePercent, 50, 400);
    return SMenu::Track(data_, flags, {x, y}, owner);
}

}  // namespace zintra::ui
