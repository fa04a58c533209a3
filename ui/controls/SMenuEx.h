// The extended pop-up menu: a menu document whose root is "menuRoot" (or a
// single root "menuItem") holding "menuItem" and "sep" elements, sub-menus
// nested inside items. It opens and answers exactly like the classic SMenu,
// drawn by the toolkit, and can be opened larger or smaller than the window's
// own scale.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Types.h"
#include "ui/core/MenuData.h"

namespace zintra::ui {

class SMenuEx {
public:
    // "SMENU:name"; false when the resource is missing or not an extended menu.
    bool LoadMenu(std::string_view resourceName);
    bool LoadMenuXml(std::string_view document);
    const MenuData& Data() const { return data_; }

    // As SMenu::TrackPopupMenu (SMenu::kReturnCommand among the flags);
    // `scalePercent` sizes the menu against the screen's own scale, 100 is
    // the screen's scale itself.
    int TrackPopupMenu(std::uint32_t flags, int x, int y, platform::NativeWindow owner, int scalePercent = 100);

private:
    MenuData data_;
    bool loaded_ = false;
};

}  // namespace zintra::ui
