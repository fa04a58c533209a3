// A menu resource as a native pop-up menu: owner-drawn items (the menu's
// icon skin, item height and margins, our fonts), tracked with
// TPM_RETURNCMD so the chosen id comes back to the caller. A hidden window of
// our own owns the menu, so the drawing messages never reach the caller's.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <vector>

#include "platform/Types.h"
#include "ui/core/MenuData.h"
#include "ui/win32/DibSection.h"

namespace zintra::ui {

class Win32Backend;
struct Skin;

class Win32PopupMenu {
public:
    // `scale`: screen pixels per layout unit where the menu opens.
    Win32PopupMenu(Win32Backend& backend, const MenuData& menu, double scale = 1.0);
    ~Win32PopupMenu();
    Win32PopupMenu(const Win32PopupMenu&) = delete;
    Win32PopupMenu& operator=(const Win32PopupMenu&) = delete;

    // Shows the menu with its top-left corner at the point; the chosen id, or 0.
    int Track(platform::Point screenPoint, HWND owner);

private:
    double scale_ = 1.0;
    static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HMENU Build(const std::vector<MenuItem>& items);
    void Measure(MEASUREITEMSTRUCT& measure);
    void Draw(const DRAWITEMSTRUCT& draw);
    const Skin* IconSkin() const;

    Win32Backend& backend_;
    const MenuData& data_;
    HMENU menu_ = nullptr;
    HWND window_ = nullptr;
    std::vector<const MenuItem*> items_;
    DibSection canvas_;
};

}  // namespace zintra::ui
