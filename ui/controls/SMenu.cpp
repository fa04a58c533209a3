#include "ui/controls/SMenu.h"

#include <algorithm>

#include "platform/Messages.h"
#include "ui/controls/MenuXml.h"
#include "ui/core/Backend.h"
#include "ui/core/PopupMenu.h"
#include "ui/core/SApplication.h"
#include "base/TextUtil.h"

namespace zintra::ui {

namespace {

constexpr int kMaxMenuDepth = 8;

void ReadItems(const pugi::xml_node& parent, std::string_view itemTag, std::vector<MenuItem>& items, int depth) {
    if (depth > kMaxMenuDepth) return;
    for (const auto& node : parent.children()) {
        if (node.type() != pugi::node_element) continue;
        const std::string_view tag = node.name();
        MenuItem item;
        if (tag == "sep") {
            item.separator = true;
        } else if (tag == itemTag) {
            item.id = ParseIntOr(node.attribute("id").as_string(), 0);
            item.icon = ParseIntOr(node.attribute("icon").as_string(), -1);
            item.disabled = ParseBoolOr(node.attribute("disable").as_string(), false);
            std::string text = node.attribute("text").as_string();
            if (text.empty()) text = std::string(Trim(node.text().get()));
            item.text = Utf8ToUtf16(text);
            ReadItems(node, itemTag, item.children, depth + 1);
        } else {
            continue;
        }
        items.push_back(std::move(item));
    }
}

}  // namespace

MenuData ReadMenuData(const pugi::xml_node& root, std::string_view itemTag) {
    MenuData data;
    data.iconSkin = root.attribute("iconSkin").as_string();
    data.itemHeight = std::clamp(ParseIntOr(root.attribute("itemHeight").as_string(), 26), 1, 200);
    data.iconMargin = std::clamp(ParseIntOr(root.attribute("iconMargin").as_string(), 4), 0, 200);
    data.textMargin = std::clamp(ParseIntOr(root.attribute("textMargin").as_string(), 8), 0, 200);
    ReadItems(root, itemTag, data.items, 0);
    return data;
}

bool SMenu::LoadMenu(std::string_view resourceName) {
    const auto* application = SApplication::Instance();
    if (application == nullptr) return false;
    const auto bytes = application->LoadResource(resourceName);
    return bytes && LoadMenuXml(*bytes);
}

SMenu::Kind SMenu::KindOf(std::string_view document) {
    pugi::xml_document xml;
    if (!xml.load_buffer(document.data(), document.size())) return Kind::None;
    const std::string_view root = xml.document_element().name();
    if (root == "menu") return Kind::Classic;
    return root == "menuRoot" || root == "menuItem" ? Kind::Extended : Kind::None;
}

bool SMenu::LoadMenuXml(std::string_view document) {
    pugi::xml_document xml;
    if (!xml.load_buffer(document.data(), document.size())) return false;
    const auto root = xml.child("menu");
    if (!root) return false;
    data_ = ReadMenuData(root, "item");
    loaded_ = true;
    return true;
}

int SMenu::TrackPopupMenu(std::uint32_t flags, int x, int y, platform::NativeWindow owner) {
    if (!loaded_) return 0;
    return Track(data_, flags, {x, y}, owner);
}

int SMenu::Track(const MenuData& menu, std::uint32_t flags, platform::Point at, platform::NativeWindow owner) {
    const auto* application = SApplication::Instance();
    if (application == nullptr) return 0;
    const int chosen = PopupMenu(application->GetBackend(), menu, at, owner).Track();
    if (chosen != 0 && !(flags & kReturnCommand) && owner != 0) {
        CurrentBackend().PostMessage(owner, msg::kCommand, static_cast<std::uint16_t>(chosen), 0);
    }
    return chosen;
}

}  // namespace zintra::ui
