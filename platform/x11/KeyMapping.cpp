#include "platform/x11/KeyMapping.h"

#include <X11/X.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <iterator>
#include <utility>

#include "platform/Messages.h"

namespace zintra::platform::x11 {

namespace {

struct Pair {
    std::uint32_t vk;
    unsigned long keysym;
};

// One keysym per virtual key: the first listed is the one a hotkey grabs.
constexpr Pair kKeys[] = {
    {0x08, XK_BackSpace}, {0x09, XK_Tab}, {0x0C, XK_Clear}, {0x0D, XK_Return}, {0x10, XK_Shift_L},
    {0x11, XK_Control_L}, {0x12, XK_Alt_L}, {0x13, XK_Pause}, {0x14, XK_Caps_Lock}, {0x1B, XK_Escape},
    {0x20, XK_space}, {0x21, XK_Page_Up}, {0x22, XK_Page_Down}, {0x23, XK_End}, {0x24, XK_Home},
    {0x25, XK_Left}, {0x26, XK_Up}, {0x27, XK_Right}, {0x28, XK_Down}, {0x29, XK_Select},
    {0x2B, XK_Execute}, {0x2C, XK_Print}, {0x2D, XK_Insert}, {0x2E, XK_Delete}, {0x2F, XK_Help},
    {0x5B, XK_Super_L}, {0x5C, XK_Super_R}, {0x5D, XK_Menu},
    {0x60, XK_KP_0}, {0x61, XK_KP_1}, {0x62, XK_KP_2}, {0x63, XK_KP_3}, {0x64, XK_KP_4}, {0x65, XK_KP_5},
    {0x66, XK_KP_6}, {0x67, XK_KP_7}, {0x68, XK_KP_8}, {0x69, XK_KP_9}, {0x6A, XK_KP_Multiply},
    {0x6B, XK_KP_Add}, {0x6C, XK_KP_Separator}, {0x6D, XK_KP_Subtract}, {0x6E, XK_KP_Decimal},
    {0x6F, XK_KP_Divide}, {0x90, XK_Num_Lock}, {0x91, XK_Scroll_Lock},
    {0xA0, XK_Shift_L}, {0xA1, XK_Shift_R}, {0xA2, XK_Control_L}, {0xA3, XK_Control_R}, {0xA4, XK_Alt_L},
    {0xA5, XK_Alt_R},
    {0xBA, XK_semicolon}, {0xBB, XK_equal}, {0xBC, XK_comma}, {0xBD, XK_minus}, {0xBE, XK_period},
    {0xBF, XK_slash}, {0xC0, XK_grave}, {0xDB, XK_bracketleft}, {0xDC, XK_backslash}, {0xDD, XK_bracketright},
    {0xDE, XK_apostrophe},
};

// Keysyms that have no virtual key of their own above: other names of the same key.
constexpr Pair kAliases[] = {
    {0x09, XK_ISO_Left_Tab}, {0x0D, XK_KP_Enter}, {0x10, XK_Shift_R}, {0x11, XK_Control_R}, {0x12, XK_Alt_R},
    {0x12, XK_Meta_L}, {0x12, XK_Meta_R}, {0x12, XK_ISO_Level3_Shift},
    // The keypad with NumLock off.
    {0x60, XK_KP_Insert}, {0x61, XK_KP_End}, {0x62, XK_KP_Down}, {0x63, XK_KP_Page_Down}, {0x64, XK_KP_Left},
    {0x65, XK_KP_Begin}, {0x66, XK_KP_Right}, {0x67, XK_KP_Home}, {0x68, XK_KP_Up}, {0x69, XK_KP_Page_Up},
    {0x6E, XK_KP_Delete},
    // Shifted symbols name the key they are on (US layout).
    {0xBA, XK_colon}, {0xBB, XK_plus}, {0xBC, XK_less}, {0xBD, XK_underscore}, {0xBE, XK_greater},
    {0xBF, XK_question}, {0xC0, XK_asciitilde}, {0xDB, XK_braceleft}, {0xDC, XK_bar}, {0xDD, XK_braceright},
    {0xDE, XK_quotedbl}, {0x31, XK_exclam}, {0x32, XK_at}, {0x33, XK_numbersign}, {0x34, XK_dollar},
    {0x35, XK_percent}, {0x36, XK_asciicircum}, {0x37, XK_ampersand}, {0x38, XK_asterisk},
    {0x39, XK_parenleft}, {0x30, XK_parenright},
};

}  // namespace

unsigned long VirtualKeyToKeysym(std::uint32_t vk) {
    if (vk >= '0' && vk <= '9') return XK_0 + (vk - '0');
    if (vk >= 'A' && vk <= 'Z') return XK_a + (vk - 'A');
    if (vk >= 0x70 && vk <= 0x87) return XK_F1 + (vk - 0x70);  // F1..F24
    for (const Pair& pair : kKeys) {
        if (pair.vk == vk) return pair.keysym;
    }
    return 0;
}

std::uint32_t KeysymToVirtualKey(unsigned long keysym) {
    if (keysym >= XK_0 && keysym <= XK_9) return static_cast<std::uint32_t>('0' + (keysym - XK_0));
    if (keysym >= XK_a && keysym <= XK_z) return static_cast<std::uint32_t>('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z) return static_cast<std::uint32_t>('A' + (keysym - XK_A));
    if (keysym >= XK_F1 && keysym <= XK_F24) return static_cast<std::uint32_t>(0x70 + (keysym - XK_F1));
    // Generic Shift, Control and Alt, as key messages carry them.
    switch (keysym) {
        case XK_Shift_L: case XK_Shift_R: return msg::kVkShift;
        case XK_Control_L: case XK_Control_R: return msg::kVkControl;
        case XK_Alt_L: case XK_Alt_R: return msg::kVkMenu;
        default: break;
    }
    for (const Pair& pair : kKeys) {
        if (pair.keysym == keysym) return pair.vk;
    }
    for (const Pair& pair : kAliases) {
        if (pair.keysym == keysym) return pair.vk;
    }
    return 0;
}

unsigned int ModifiersToMask(std::uint32_t modifiers) {
    unsigned int mask = 0;
    if (modifiers & msg::kModAlt) mask |= Mod1Mask;
    if (modifiers & msg::kModControl) mask |= ControlMask;
    if (modifiers & msg::kModShift) mask |= ShiftMask;
    if (modifiers & msg::kModWin) mask |= Mod4Mask;
    return mask;
}

std::uint32_t MaskToModifiers(unsigned int mask) {
    std::uint32_t modifiers = 0;
    if (mask & Mod1Mask) modifiers |= msg::kModAlt;
    if (mask & ControlMask) modifiers |= msg::kModControl;
    if (mask & ShiftMask) modifiers |= msg::kModShift;
    if (mask & Mod4Mask) modifiers |= msg::kModWin;
    return modifiers;
}

std::string PortalTrigger(std::uint32_t modifiers, std::uint32_t virtualKey) {
    char name[64] = {};
    const unsigned long keysym = VirtualKeyToKeysym(virtualKey);
    if (keysym == 0 || xkb_keysym_get_name(static_cast<xkb_keysym_t>(keysym), name, sizeof(name)) <= 0) return {};
    std::string trigger;
    const std::pair<std::uint32_t, const char*> names[] = {
        {msg::kModControl, "CTRL+"}, {msg::kModAlt, "ALT+"}, {msg::kModShift, "SHIFT+"}, {msg::kModWin, "LOGO+"}};
    for (const auto& [bit, text] : names) {
        if (modifiers & bit) trigger += text;
    }
    return trigger + name;
}

}  // namespace zintra::platform::x11
