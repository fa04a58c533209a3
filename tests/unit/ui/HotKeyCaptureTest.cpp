#include <gtest/gtest.h>

#include "sim/SimDesktop.h"
#include "ui/controls/HotKeyCapture.h"

namespace zintra::ui {
namespace {

constexpr std::uint32_t kShift = 0x10, kCtrl = 0x11, kAlt = 0x12;

// Types on the simulated keyboard the way a person does: the key state
// changes, then the control receives the message.
class HotKeyCaptureTest : public ::testing::Test {
protected:
    void Down(std::uint32_t vk) {
        desktop.KeyboardState().SetKeyDown(vk, true);
        const bool alt = desktop.KeyboardState().IsKeyDown(kAlt);
        capture.OnKeyDown(vk, alt || vk == 0x79 /* F10 */);
    }
    void Up(std::uint32_t vk) {
        desktop.KeyboardState().SetKeyDown(vk, false);
        capture.OnKeyUp(vk);
    }

    sim::SimDesktop desktop;
    HotKeyCapture capture{desktop.GetKeyboard()};
};

TEST_F(HotKeyCaptureTest, StartsEmpty) {
    EXPECT_EQ(capture.Key(), 0);
    EXPECT_EQ(capture.Modifiers(), 0);
    EXPECT_EQ(capture.Label(), u"无");
}

TEST_F(HotKeyCaptureTest, CtrlShiftQ) {
    Down(kCtrl);
    EXPECT_EQ(capture.Label(), u"Ctrl+");
    Down(kShift);
    Down('Q');
    Up('Q');
    Up(kShift);
    Up(kCtrl);
    EXPECT_EQ(capture.Key(), 0x51);
    EXPECT_EQ(capture.Modifiers(), 6);
    EXPECT_EQ(capture.Label(), u"Ctrl+Shift+Q");
}

TEST_F(HotKeyCaptureTest, AltF5ArrivesAsSystemKeys) {
    Down(kAlt);
    Down(0x74);
    Up(0x74);
    Up(kAlt);
    EXPECT_EQ(capture.Key(), 116);
    EXPECT_EQ(capture.Modifiers(), 1);
    EXPECT_EQ(capture.Label(), u"Alt+F5");
}

TEST_F(HotKeyCaptureTest, F10AloneIsNotCapturedButAltF10Is) {
    Down(0x79);
    Up(0x79);
    EXPECT_EQ(capture.Label(), u"无");
    Down(kAlt);
    Down(0x79);
    Up(0x79);
    Up(kAlt);
    EXPECT_EQ(capture.Label(), u"Alt+F10");
}

TEST_F(HotKeyCaptureTest, KeyNames) {
    const std::pair<std::uint32_t, const char16_t*> names[] = {
        {0x67, u"Num 7"}, {0xBD, u"-"}, {0x0D, u"Enter"}, {0x1B, u"ESC"}, {0x20, u"Space"}, {0x6A, u"Num *"},
        {0x6B, u"Num +"}, {0x6E, u"Num Del"}, {0x7B, u"F12"}, {0x2A, u"Print"}, {0xDE, u"'"}, {0xDC, u"\\"},
        {0x30, u"0"}, {0x5A, u"Z"}, {0x22, u"PageDown"},
    };
    for (const auto& [vk, name] : names) {
        capture.Reset();
        Down(vk);
        Up(vk);
        EXPECT_EQ(capture.Label(), name) << vk;
        EXPECT_EQ(capture.Key(), vk);
    }
}

TEST_F(HotKeyCaptureTest, AltComesAfterCtrlAndShiftInTheLabel) {
    Down(kCtrl);
    Down(kAlt);
    Down('X');
    Up('X');
    Up(kAlt);
    Up(kCtrl);
    EXPECT_EQ(capture.Modifiers(), 1 | 2);
    EXPECT_EQ(capture.Label(), u"Ctrl+Alt+X");

    Down(kAlt);
    Down(kShift);
    Down(0x74);
    Up(0x74);
    Up(kShift);
    Up(kAlt);
    EXPECT_EQ(capture.Label(), u"Shift+Alt+F5");

    Down(kShift);
    Down(kAlt);
    Down(kCtrl);
    EXPECT_EQ(capture.Label(), u"Ctrl+Shift+Alt+");
}

TEST_F(HotKeyCaptureTest, MoreKeyNames) {
    const std::pair<std::uint32_t, const char16_t*> names[] = {
        {0x60, u"Num 0"}, {0x69, u"Num 9"}, {0x70, u"F1"}, {0xC0, u"`"}, {0xBA, u";"}, {0xDB, u"["},
        {0x21, u"PageUp"}, {0x2E, u"Delete"},
    };
    for (const auto& [vk, name] : names) {
        capture.Reset();
        Down(vk);
        Up(vk);
        EXPECT_EQ(capture.Label(), name) << vk;
    }
}

TEST_F(HotKeyCaptureTest, KeysOfOtherLayoutsAreNamedByWhatTheyType) {
    // A German layout: ß, ö and + where the US one has -, ; and ].
    desktop.KeyboardState().SetCharacter(0xBD, 0xDF);
    desktop.KeyboardState().SetCharacter(0xBA, 0xF6);
    desktop.KeyboardState().SetCharacter(0xDD, '+');
    desktop.KeyboardState().SetCharacter(0xC0, '^');
    const std::pair<std::uint32_t, const char16_t*> names[] = {
        {0xBD, u"ß"}, {0xBA, u"ö"}, {0xDD, u"+"}, {0xC0, u"^"}};
    for (const auto& [vk, name] : names) {
        capture.Reset();
        Down(kCtrl);
        Down(vk);
        Up(vk);
        Up(kCtrl);
        EXPECT_EQ(capture.Key(), vk);
        EXPECT_EQ(capture.Label(), std::u16string(u"Ctrl+") + name) << vk;
    }
    // What a key types may be a control or nothing printable: no name then.
    for (std::uint32_t character : {0x7Fu, 0x85u, 0xD800u, 0x1F600u}) {
        desktop.KeyboardState().SetCharacter(0xBD, character);
        capture.Reset();
        Down(0xBD);
        Up(0xBD);
        EXPECT_EQ(capture.Key(), 0) << character;
    }
}

TEST_F(HotKeyCaptureTest, ANewEntryStartingWithAnUnnamedKeyClearsTheOldKey) {
    Down(kCtrl);
    Down('A');
    Up('A');
    Up(kCtrl);
    ASSERT_EQ(capture.Label(), u"Ctrl+A");
    Down(0x09);  // Tab has no name
    EXPECT_EQ(capture.Key(), 0);
    EXPECT_EQ(capture.Label(), u"无");
    Up(0x09);
    EXPECT_EQ(capture.Label(), u"无");
}

TEST_F(HotKeyCaptureTest, ModifierReleasedAsItsLeftOrRightKeyDropsOut) {
    // Keyboard hooks and some layouts report the sided key on release.
    const std::pair<std::uint32_t, std::uint32_t> sided[] = {
        {kShift, 0xA0}, {kShift, 0xA1}, {kCtrl, 0xA2}, {kCtrl, 0xA3}, {kAlt, 0xA4}, {kAlt, 0xA5}};
    for (const auto& [generic, side] : sided) {
        capture.Reset();
        Down(generic);
        Down('Q');
        desktop.KeyboardState().SetKeyDown(generic, false);
        Up(side);
        EXPECT_EQ(capture.Modifiers(), 0) << side;
        EXPECT_EQ(capture.Label(), u"Q") << side;
        Up('Q');
    }
}

TEST_F(HotKeyCaptureTest, KeysWithoutANameNeverBecomeTheKey) {
    for (std::uint32_t vk : {0x09u, 0x08u, 0x13u, 0x14u, 0x7Cu, 0x5Bu, 0xA2u}) {
        Down(vk);
        Up(vk);
        EXPECT_EQ(capture.Key(), 0) << vk;
        EXPECT_EQ(capture.Label(), u"无") << vk;
    }
}

TEST_F(HotKeyCaptureTest, ModifierReleasedBeforeTheKeyDropsOut) {
    Down(kCtrl);
    Down('Q');
    Up(kCtrl);
    Up('Q');
    EXPECT_EQ(capture.Key(), 0x51);
    EXPECT_EQ(capture.Modifiers(), 0);
    EXPECT_EQ(capture.Label(), u"Q");
}

TEST_F(HotKeyCaptureTest, ANewPressAfterAnEndedEntryStartsOver) {
    Down(kCtrl);
    Down('A');
    Up('A');
    Up(kCtrl);
    Down('B');
    EXPECT_EQ(capture.Label(), u"B");
    Up('B');
}

TEST_F(HotKeyCaptureTest, ModifierOnlyEntryHoldsWhileTheModifierIsDown) {
    Down(kCtrl);
    Down(kShift);
    EXPECT_EQ(capture.Label(), u"Ctrl+Shift+");
    EXPECT_EQ(capture.Key(), 0);
    Up(kShift);
    EXPECT_EQ(capture.Label(), u"Ctrl+");
    Up(kCtrl);
    EXPECT_EQ(capture.Label(), u"无");
    EXPECT_FALSE(capture.Entering());
}

TEST_F(HotKeyCaptureTest, ReleasingAnotherKeyIsIgnoredWhileAKeyIsChosen) {
    Down(kCtrl);
    Down('Q');
    Down('W');
    EXPECT_EQ(capture.Label(), u"Ctrl+W");
    Up('Q');
    EXPECT_TRUE(capture.Entering());
    Up('W');
    EXPECT_FALSE(capture.Entering());
    EXPECT_EQ(capture.Label(), u"Ctrl+W");
}

}  // namespace
}  // namespace zintra::ui
