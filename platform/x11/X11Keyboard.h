// Keys on an X11 display: which keys are down (the modifiers as the event
// being handled saw them, like GetKeyState) and the character a key gives.
#pragma once

#include "platform/Keyboard.h"

typedef struct _XDisplay Display;

namespace zintra::platform::x11 {

class X11Keyboard final : public Keyboard {
public:
    explicit X11Keyboard(Display* display) : display_(display) {}

    // The X modifier state of the key or button event being handled, which
    // IsKeyDown answers for Shift, Control and Alt.
    void SetEventState(unsigned int state) { eventState_ = state; hasEventState_ = true; }

    bool IsKeyDown(std::uint32_t virtualKey) override;
    std::uint32_t VirtualKeyToChar(std::uint32_t virtualKey) override;

private:
    Display* display_;
    unsigned int eventState_ = 0;
    bool hasEventState_ = false;
};

}  // namespace zintra::platform::x11
