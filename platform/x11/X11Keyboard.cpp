#include "platform/x11/X11Keyboard.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/Messages.h"
#include "platform/x11/KeyMapping.h"

namespace zintra::platform::x11 {

bool X11Keyboard::IsKeyDown(std::uint32_t virtualKey) {
    // The modifiers as the event being handled saw them, like GetKeyState.
    if (hasEventState_) {
        switch (virtualKey) {
            case msg::kVkShift: case 0xA0: case 0xA1: return (eventState_ & ShiftMask) != 0;
            case msg::kVkControl: case 0xA2: case 0xA3: return (eventState_ & ControlMask) != 0;
            case msg::kVkMenu: case 0xA4: case 0xA5: return (eventState_ & Mod1Mask) != 0;
            default: break;
        }
    }
    if (display_ == nullptr) return false;
    const unsigned long keysym = VirtualKeyToKeysym(virtualKey);
    if (keysym == 0) return false;
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    if (code == 0) return false;
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    return (keys[code / 8] & (1 << (code % 8))) != 0;
}

std::uint32_t X11Keyboard::VirtualKeyToChar(std::uint32_t virtualKey) {
    // Letters come upper case, as MapVirtualKey gives them.
    if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey;
    if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
    const unsigned long keysym = VirtualKeyToKeysym(virtualKey);
    if (keysym >= 0x20 && keysym < 0x7F) return static_cast<std::uint32_t>(keysym);  // Latin-1 keysyms are characters
    switch (keysym) {
        case XK_BackSpace: return 8;
        case XK_Tab: return 9;
        case XK_Return: return 13;
        case XK_Escape: return 27;
        case XK_KP_Multiply: return '*';
        case XK_KP_Add: return '+';
        case XK_KP_Subtract: return '-';
        case XK_KP_Decimal: return '.';
        case XK_KP_Divide: return '/';
        default: return 0;
    }
}

}  // namespace zintra::platform::x11
