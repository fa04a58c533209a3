// What the files of the X11 backend share and nothing else sees: the record
// of a host window, the backend's own override-redirect windows, the clock
// and the X error the last request left.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Types.h"
#include "ui/render/Font.h"
#include "ui/render/PixelBuffer.h"
#include "ui/x11/X11Backend.h"

namespace zintra::ui {

inline constexpr std::uint64_t kCaretBlinkMicroseconds = 530000;

std::uint64_t NowMicroseconds();

// When a repeating timer that was due at `due` and fired at `now` is next due
// (all in the same unit, `step` its period): one period after `due`, so the
// lateness of one expiry is not added to every later one (the click pacer
// relies on that, as on Windows); expiries missed meanwhile are dropped, not
// delivered in a burst.
std::uint64_t NextTimerDue(std::uint64_t due, std::uint64_t step, std::uint64_t now);

inline Window Xid(platform::NativeWindow window) { return static_cast<Window>(window); }

// The error code of the last failed request since it was cleared (the
// backend's error handler records it instead of ending the process).
int& LastXError();

// A toolkit message an X input event stands for, without its position.
struct InputMessage {
    std::uint32_t message;
    std::uintptr_t wParam;
};

// A key press or release as the hosts get it (kKeyDown, or kSysKeyDown with
// Alt, and the virtual-key code); nothing for keys without one.
// By place for typing keys (`vk` from the keyboard layout), so '1' is the same key on every layout.
std::optional<InputMessage> KeyMessage(const XKeyEvent& key, std::uint32_t vk);
// The left and right buttons, the middle one's press and the wheel (a press
// of button 4 or 5); nothing for other buttons and other releases.
std::optional<InputMessage> ButtonMessage(const XButtonEvent& button);
// What a key press types, through the input context when there is one.
std::u16string TypedCharacters(XIC inputContext, XKeyEvent& key);

struct X11Backend::Host {
    SHostWnd* host = nullptr;
    platform::MessageHandler* handler = nullptr;
    Window xid = 0;
    platform::NativeWindow owner = 0;
    bool argb = false;
    bool translucent = false;
    bool visible = false;
    bool dirty = true;
    bool focusOnMap = false;
    bool mapsIconic = false;  // WM_HINTS asks the window manager for an iconic start
    bool destroying = false;
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = 0;
    GC gc = nullptr;
    XIC inputContext = nullptr;
    platform::Size size;  // layout pixels
    PixelBuffer picture;
    std::optional<platform::Rect> caret;
    bool caretOn = false;
    std::uint64_t caretDue = 0;
    int cursor = -1;
};

// An override-redirect window of the backend's own: drop-down list, menu,
// tool tip or drag image.
struct X11Backend::Popup {
    Display* display = nullptr;
    Window xid = 0;
    GC gc = nullptr;
    bool argb = false;
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = 0;
    PixelBuffer picture;
    platform::Point hotSpot;
    std::uint8_t alpha = 255;
    // Makes the window (no window manager involvement) at `rect` in screen pixels.
    void Create(Display* on, int screen, bool argbWanted, const platform::Rect& rect, long events);
    ~Popup();
};

// A pop-up of the toolkit (menu, drop-down list, tooltip): its window and
// what paints it.
struct X11Backend::PopupWindow {
    Popup window;
    PopupContent* content = nullptr;
    PopupSpec spec;
};

}  // namespace zintra::ui
