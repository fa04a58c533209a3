#include <gtest/gtest.h>

#include "hotkey/StartStopHotkey.h"
#include "platform/Messages.h"
#include "sim/SimDesktop.h"

namespace zintra {
namespace {

TEST(StartStopHotkey, RegistrationReplacesTheWindowsEarlierKey) {
    sim::SimDesktop desktop;
    ClickSettings settings;
    const platform::NativeWindow window = 0x42;
    RegisterStartStopHotkey(desktop, window, settings);
    settings.hotkeyVk = 0x41;
    settings.hotkeyModifiers = msg::kModControl | msg::kModShift;
    RegisterStartStopHotkey(desktop, window, settings);
    ASSERT_EQ(desktop.HotkeyRegistrations().size(), 1u);
    EXPECT_EQ(desktop.HotkeyFor(window, 1224)->virtualKey, 0x41u);
    EXPECT_EQ(desktop.HotkeyFor(window, 1224)->modifiers, 6u);
    UnregisterStartStopHotkey(desktop, window);
    EXPECT_TRUE(desktop.HotkeyRegistrations().empty());
}

TEST(StartStopHotkey, KeyTakenByAnotherProgramSimplyDoesNothing) {
    sim::SimDesktop desktop;
    desktop.ReserveHotKey(0, msg::kVkF8);
    ClickSettings settings;
    RegisterStartStopHotkey(desktop, 0x42, settings);
    EXPECT_FALSE(desktop.PressHotKey(0, msg::kVkF8));
}

}  // namespace
}  // namespace zintra
