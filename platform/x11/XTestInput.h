// Mouse input on an X11 display: clicks and motion through the XTest
// extension (real X events every client sees), the pointer and the screen
// from the X server.
#pragma once

#include "platform/MouseInput.h"

typedef struct _XDisplay Display;

namespace zintra::platform::x11 {

class XTestInput final : public MouseInput {
public:
    // `display` may be null: then nothing is sent.
    explicit XTestInput(Display* display);

    std::uint32_t SendMouseEvents(const MouseEvent* events, std::uint32_t count) override;
    Point CursorPosition() override;
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

private:
    // The pointer's root position into `at`; whether a window is under it.
    bool QueryPointer(Point& at);
    Display* display_;
    bool haveXTest_ = false;
};

}  // namespace zintra::platform::x11
