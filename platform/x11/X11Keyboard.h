// Keys on an X11 display: which keys are down (the modifiers as the event
// being handled saw them, like GetKeyState), the character a key gives, and
// the active layout's typing keys (KeyboardLayout), read again whenever the
// keyboard map or its group changes.
#pragma once

#include <cstdint>

#include "platform/Keyboard.h"
#include "platform/x11/KeyboardLayout.h"

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace zintra::platform::x11 {

class X11Keyboard final : public Keyboard {
public:
    explicit X11Keyboard(Display* display);

    // The X modifier state of the key or button event being handled, which
    // IsKeyDown answers for Shift, Control and Alt.
    void SetEventState(unsigned int state) { eventState_ = state; hasEventState_ = true; }

    bool IsKeyDown(std::uint32_t virtualKey) override;
    // The character the active layout types with the key unshifted (a dead
    // key its spacing form); letters upper case, as MapVirtualKey gives them.
    std::uint32_t VirtualKeyToChar(std::uint32_t virtualKey) override;

    // The X key code of a virtual key in the active layout, 0 for none.
    unsigned int KeycodeOf(std::uint32_t virtualKey);
    // The virtual key of a key code in the active layout, 0 for none.
    std::uint32_t VirtualKeyOf(unsigned int keycode);
    // Reads the layout again after a change of the keyboard map or group;
    // true when a typing key now has another code.
    bool FollowLayout(const XEvent& event);

private:
    KeyboardLayout ReadLayout();

    Display* display_;
    unsigned int eventState_ = 0;
    bool hasEventState_ = false;
    int xkbEvent_ = -1;  // XKB's event code, -1 without XKB
    KeyboardLayout layout_;
};

}  // namespace zintra::platform::x11
