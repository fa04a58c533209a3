// Mouse input on an X11 display: clicks and motion through the XTest
// extension (real X events every client sees), the pointer and the screen
// from the X server.
#pragma once

#include <memory>

#include "platform/MouseInput.h"
#include "platform/x11/XwaylandPointer.h"

typedef struct _XDisplay Display;

namespace zintra::platform::x11 {

class XTestInput final : public MouseInput {
public:
    // `display` may be null: then nothing is sent.
    explicit XTestInput(Display* display);
    ~XTestInput() override;

    // In a Wayland session: from now on the pointer over an X11 window counts
    // only while Xwayland's position is the user's (XwaylandPointer).
    void FollowXwaylandPointer();
    // The events that following needs; true when `event` was one.
    bool HandleEvent(XEvent& event) { return xwayland_ != nullptr && xwayland_->HandleEvent(event); }

    std::uint32_t SendMouseEvents(const MouseEvent* events, std::uint32_t count) override;
    Point CursorPosition() override;
    // Once following Xwayland's pointer, only while PointerOverClientWindow.
    std::optional<Point> KnownCursorPosition() override;
    // The whole X screen (every monitor), so absolute positions are root-window coordinates.
    Size PrimaryScreenSize() override;
    // One X screen: its monitors share the root window, whose origin is (0, 0).
    Rect VirtualDesktop() override;
    // Whether the pointer is over one of the display's windows. Under Xwayland
    // (measured in sway 1.7, Xwayland 22.1) the pointer is on the bare root
    // whenever the compositor's pointer is over a Wayland surface or no window,
    // since Xwayland then has no pointer focus, and the position it reports
    // is where the pointer last left an X11 window; over an X11 window it
    // names that window's frame and the position is current.
    bool PointerOverClientWindow();
    // Whether Xwayland has its pointer exactly at `at` over one of the
    // display's windows: where an X11 window is under a point the
    // compositor's pointer has just been moved to, Xwayland puts it there.
    bool PointerRestsAt(Point at);

private:
    // The pointer's root position into `at`; whether a window is under it.
    bool QueryPointer(Point& at);
    Display* display_;
    bool haveXTest_ = false;
    std::unique_ptr<XwaylandPointer> xwayland_;
};

}  // namespace zintra::platform::x11
