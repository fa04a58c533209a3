// What the files of the X11 backend share and nothing else sees: the record
// of a host window, the backend's own override-redirect windows, the clock
// and the X error the last request left.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>

#include "platform/Types.h"
#include "ui/render/Font.h"
#include "ui/render/PixelBuffer.h"
#include "ui/x11/X11Backend.h"

namespace zintra::ui {

inline constexpr std::uint64_t kCaretBlinkMicroseconds = 530000;

std::uint64_t NowMicroseconds();

inline Window Xid(platform::NativeWindow window) { return static_cast<Window>(window); }

// The error code of the last failed request since it was cleared (the
// backend's error handler records it instead of ending the process).
int& LastXError();

// The font of menus and tool tips: the layouts' default face.
Font MenuFont();

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

}  // namespace zintra::ui
