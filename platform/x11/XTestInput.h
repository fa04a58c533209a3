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

private:
    Display* display_;
    bool haveXTest_ = false;
};

}  // namespace zintra::platform::x11
