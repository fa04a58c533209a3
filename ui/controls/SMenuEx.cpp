#include "ui/controls/SMenuEx.h"

#include <algorithm>

#include "ui/controls/MenuXml.h"
#include "ui/controls/SMenu.h"
#include "ui/core/SApplication.h"

namespace zintra::ui {

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
    data_ = ReadMenuData(root, "menuItem");
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
