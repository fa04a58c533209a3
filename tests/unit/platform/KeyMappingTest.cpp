#include <gtest/gtest.h>

#include <X11/X.h>
#include <X11/keysym.h>

#include "platform/Messages.h"
#include "platform/x11/KeyMapping.h"

namespace zintra::platform::x11 {
namespace {

TEST(KeyMapping, EveryMappedVirtualKeyComesBackFromItsKeysym) {
    int mapped = 0;
    for (std::uint32_t vk = 1; vk < 256; ++vk) {
        const unsigned long keysym = VirtualKeyToKeysym(vk);
        if (keysym == 0) continue;
        ++mapped;
        std::uint32_t expected = vk;
        // Left and right Shift, Control and Alt come back as the generic keys key messages carry.
        if (vk >= 0xA0 && vk <= 0xA5) expected = msg::kVkShift + (vk - 0xA0) / 2;
        EXPECT_EQ(KeysymToVirtualKey(keysym), expected) << "virtual key " << vk;
    }
    // Letters, digits, F1..F24, the keypad, editing and punctuation keys.
    EXPECT_GE(mapped, 26 + 10 + 24 + 16 + 20 + 11);
}

TEST(KeyMapping, TheKeysThePresetsAndCapturesUse) {
    EXPECT_EQ(VirtualKeyToKeysym(msg::kVkF8), static_cast<unsigned long>(XK_F8));
    EXPECT_EQ(VirtualKeyToKeysym(0x87), static_cast<unsigned long>(XK_F24));
    EXPECT_EQ(VirtualKeyToKeysym('A'), static_cast<unsigned long>(XK_a));
    EXPECT_EQ(VirtualKeyToKeysym('7'), static_cast<unsigned long>(XK_7));
    EXPECT_EQ(VirtualKeyToKeysym(0x2C), static_cast<unsigned long>(XK_Print));
    EXPECT_EQ(KeysymToVirtualKey(XK_Print), 0x2Cu);
    EXPECT_EQ(KeysymToVirtualKey(XK_Q), static_cast<std::uint32_t>('Q'));  // either case
    EXPECT_EQ(KeysymToVirtualKey(XK_exclam), static_cast<std::uint32_t>('1'));  // a shifted symbol names its key
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_End), 0x61u);  // the keypad with NumLock off
    EXPECT_EQ(KeysymToVirtualKey(XK_KP_Enter), msg::kVkReturn);
    EXPECT_EQ(KeysymToVirtualKey(XK_ISO_Left_Tab), msg::kVkTab);
    EXPECT_EQ(KeysymToVirtualKey(XK_Control_R), msg::kVkControl);
    EXPECT_EQ(VirtualKeyToKeysym(0xFF), 0ul);
    EXPECT_EQ(KeysymToVirtualKey(XK_eacute), 0u);
}

TEST(KeyMapping, ModifierBitsAndMasksMapBothWays) {
    for (std::uint32_t modifiers = 0; modifiers < 16; ++modifiers) {
        EXPECT_EQ(MaskToModifiers(ModifiersToMask(modifiers)), modifiers);
    }
    EXPECT_EQ(ModifiersToMask(msg::kModControl | msg::kModShift), static_cast<unsigned>(ControlMask | ShiftMask));
    EXPECT_EQ(ModifiersToMask(msg::kModAlt), static_cast<unsigned>(Mod1Mask));
    EXPECT_EQ(ModifiersToMask(msg::kModWin), static_cast<unsigned>(Mod4Mask));
    // CapsLock and NumLock (Mod2) are states, not modifiers of a combination.
    EXPECT_EQ(MaskToModifiers(LockMask | Mod2Mask | ControlMask), msg::kModControl);
}

}  // namespace
}  // namespace zintra::platform::x11
