// Drives a host window the way a user would, through the window's own
// message path: clicks at a control's centre, keys into the focused control,
// picks from drop-down lists; and reads a control's state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace zintra::ui {

class HeadlessBackend;
class SHostWnd;
class SWindow;

struct ControlState {
    std::string tag;
    std::u16string text;
    bool visible = false;
    bool enabled = false;
    bool checked = false;
    bool focused = false;
    int selection = -1;  // combo boxes, tab controls
    std::string styleClass;
    platform::Rect rect;
};

class HeadlessDriver {
public:
    HeadlessDriver(SHostWnd& host, HeadlessBackend& backend) : host_(host), backend_(backend) {}

    // Moves to, presses and releases the left button at the control's centre.
    // False (and nothing sent) when the control is missing or hidden.
    bool Click(std::string_view name);
    void ClickAt(platform::Point clientPoint);
    void MouseMove(platform::Point clientPoint);
    void LeftButtonDown(platform::Point clientPoint);
    void LeftButtonUp(platform::Point clientPoint);
    // A key goes down or up on the simulated keyboard and its message goes to
    // the window: WM_SYSKEYDOWN/UP while Alt is held (and for F10), as Windows
    // sends them, WM_KEYDOWN/UP otherwise.
    void KeyDown(std::uint32_t virtualKey);
    void KeyUp(std::uint32_t virtualKey);
    // KeyDown then KeyUp.
    void PressKey(std::uint32_t virtualKey);
    // For each character WM_KEYDOWN, WM_CHAR and WM_KEYUP.
    void TypeText(std::u16string_view text);
    // Opens the control's list and picks entry `index` in it.
    bool SelectListEntry(std::string_view name, int index);

    SWindow* Find(std::string_view name) const;
    std::optional<ControlState> State(std::string_view name) const;

private:
    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    SHostWnd& host_;
    HeadlessBackend& backend_;
};

}  // namespace zintra::ui
