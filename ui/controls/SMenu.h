// A pop-up menu from an SMENU resource (root element "menu"), shown by the
// backend at a screen point.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Types.h"
#include "ui/core/MenuData.h"

namespace zintra::ui {

class SMenu {
public:
    // TrackPopupMenu flag: return the chosen id instead of posting WM_COMMAND.
    static constexpr std::uint32_t kReturnCommand = 0x0100;  // TPM_RETURNCMD

    // "SMENU:menu_tray"; false when the resource is missing or not a menu.
    bool LoadMenu(std::string_view resourceName);
    // Reads a menu document; false when it is not one.
    bool LoadMenuXml(std::string_view document);

    // Which kind of menu a document holds, by its root element: "menu" is the
    // classic kind, "menuRoot"/"menuItem" the extended one.
    enum class Kind { None, Classic, Extended };
    static Kind KindOf(std::string_view document);
    const MenuData& Data() const { return data_; }

    // Shows the menu with its top-left corner at the point. The chosen item
    // arrives at `owner` as WM_COMMAND (low word: id, high word: 0), or is
    // returned with kReturnCommand. Returns the chosen id, 0 for none.
    int TrackPopupMenu(std::uint32_t flags, int x, int y, platform::NativeWindow owner);
    // The same for any menu data (the extended menu opens through it too).
    static int Track(const MenuData& menu, std::uint32_t flags, platform::Point at, platform::NativeWindow owner);

private:
    MenuData data_;
    bool loaded_ = false;
};

}  // namespace zintra::ui
