#include "platform/x11/X11Keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <cstring>

#include "platform/Messages.h"
#include "platform/x11/KeyMapping.h"

namespace zintra::platform::x11 {

namespace {

// What a dead key puts on its cap: the accent by itself.
std::uint32_t SpacingAccent(unsigned long keysym) {
    switch (keysym) {
        case XK_dead_grave: return '`';
        case XK_dead_acute: return 0xB4;
        case XK_dead_circumflex: return '^';
        case XK_dead_tilde: return '~';
        case XK_dead_diaeresis: return 0xA8;
        case XK_dead_cedilla: return 0xB8;
        default: return 0;
    }
}

}  // namespace

X11Keyboard::X11Keyboard(Display* display) : display_(display) {
    if (display_ == nullptr) return;
    int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (XkbQueryExtension(display_, &opcode, &xkbEvent_, &error, &major, &minor)) {
        // A new keyboard or map, and a switch of group (another layout of the list).
        XkbSelectEvents(display_, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                        XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
        XkbSelectEventDetails(display_, XkbUseCoreKbd, XkbStateNotify, XkbGroupStateMask, XkbGroupStateMask);
    } else {
        xkbEvent_ = -1;
    }
    layout_ = ReadLayout();
}

KeyboardLayout X11Keyboard::ReadLayout() {
    if (display_ == nullptr || xkbEvent_ < 0) return {};
    XkbDescPtr xkb = XkbGetMap(display_, XkbKeySymsMask, XkbUseCoreKbd);
    if (xkb == nullptr) return {};
    XkbStateRec state{};
    XkbGetState(display_, XkbUseCoreKbd, &state);
    std::vector<LayoutKey> keys;
    if (XkbGetNames(display_, XkbKeyNamesMask, xkb) == Success && xkb->names != nullptr) {
        for (int code = xkb->min_key_code; code <= xkb->max_key_code; ++code) {
            const int groups = XkbKeyNumGroups(xkb, code);
            if (groups == 0) continue;
            const int group = state.group % groups;  // keys with fewer groups wrap, as XKB does
            const unsigned long keysym = XkbKeySymEntry(xkb, code, 0, group);
            const char* name = xkb->names->keys[code].name;
            keys.push_back({static_cast<unsigned int>(code), std::string(name, strnlen(name, XkbKeyNameLength)),
                            keysym});
        }
    }
    XkbFreeKeyboard(xkb, 0, True);
    return KeyboardLayout(keys);
}

bool X11Keyboard::FollowLayout(const XEvent& event) {
    const bool mapChanged = event.type == MappingNotify;
    const bool xkbChanged = xkbEvent_ >= 0 && event.type == xkbEvent_;
    if (!mapChanged && !xkbChanged) return false;
    KeyboardLayout layout = ReadLayout();
    if (layout == layout_) return false;
    layout_ = std::move(layout);
    return true;
}

unsigned int X11Keyboard::KeycodeOf(std::uint32_t virtualKey) {
    if (KeyboardLayout::IsTypingKey(virtualKey) && xkbEvent_ >= 0) return layout_.KeycodeOf(virtualKey);
    const unsigned long keysym = VirtualKeyToKeysym(virtualKey);
    return keysym != 0 && display_ != nullptr ? XKeysymToKeycode(display_, keysym) : 0u;
}

std::uint32_t X11Keyboard::VirtualKeyOf(unsigned int keycode) {
    if (const std::uint32_t typing = layout_.VirtualKeyOf(keycode)) return typing;
    if (display_ == nullptr) return 0;
    return KeysymToVirtualKey(XkbKeycodeToKeysym(display_, static_cast<KeyCode>(keycode), 0, 0));
}

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
    const unsigned int code = KeycodeOf(virtualKey);
    if (code == 0 || code > 255) return false;
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    return (keys[code / 8] & (1 << (code % 8))) != 0;
}

std::uint32_t X11Keyboard::VirtualKeyToChar(std::uint32_t virtualKey) {
    // Letters come upper case, as MapVirtualKey gives them.
    if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey;
    if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
    if (KeyboardLayout::IsTypingKey(virtualKey) && xkbEvent_ >= 0) {
        const unsigned long keysym = layout_.KeysymOf(virtualKey);
        if (const std::uint32_t accent = SpacingAccent(keysym)) return accent;
        return xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(keysym));
    }
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
