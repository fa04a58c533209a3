// What a backend needs to show the toolkit's pop-ups (menus, drop-down lists,
// tooltips): a native pop-up window that paints what its content paints and a
// loop that hands all mouse and key input to the toolkit while a menu or a
// list is open. Layout, painting, hit-testing and keys live in the toolkit,
// once; a backend only owns the native windows.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace zintra::ui {

class Surface;

// The pixels of one pop-up window. The surface works in layout units at the
// scale given when the window was opened; its origin is the window's corner.
class PopupContent {
public:
    virtual ~PopupContent() = default;
    virtual void PaintPopup(Surface& surface) = 0;
};

// Where a pop-up loop sends input. Messages are the toolkit's own (msg::kMouseMove,
// kLButtonDown/Up, kRButtonDown/Up, kMouseWheel with the delta in the high word
// of wParam, kKeyDown/kSysKeyDown with a virtual-key code, kChar), with the
// pointer in screen pixels wherever it is (the loop holds the mouse).
class PopupInput {
public:
    virtual ~PopupInput() = default;
    virtual void PopupMessage(std::uint32_t message, std::uintptr_t wParam, platform::Point screen) = 0;
    // Another program took the mouse or the focus: close without a choice.
    virtual void PopupCancelled() = 0;
};

struct PopupSpec {
    platform::NativeWindow owner = 0;  // the host it opens from, 0 for none (the tray)
    platform::Rect rect;               // screen pixels
    double scale = 1.0;                // screen pixels per layout unit of the content
    // A tooltip: never activated, never takes input, the mouse goes to what is below.
    bool passive = false;
    bool shadow = false;  // a drop shadow where the system draws one
};

}  // namespace zintra::ui
