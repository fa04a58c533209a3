#include <gtest/gtest.h>

#include <cstring>

#include "app/HiddenHost.h"
#include "clicker/StartStopHotkey.h"
#include "platform/Messages.h"
#include "platform/sim/SimDesktop.h"

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

TEST(HiddenHost, StoredHotkeyTogglesClickingAndExitSavesTheRecord) {
    sim::SimDesktop desktop;
    std::vector<std::uint8_t> data(24, 0);
    data[8] = 1;       // right click
    data[16] = 0x74;   // F5
    data[20] = 0;
    const float interval = 0.2f;
    std::memcpy(&data[12], &interval, 4);
    desktop.PutValue(u"SOFTWARE\\ZintraMouse", u"MouseData", platform::reg::kBinary, data);

    HiddenHost host(desktop);
    ASSERT_TRUE(host.Create());
    EXPECT_FALSE(desktop.PressHotKey(0, msg::kVkF8));
    ASSERT_TRUE(desktop.PressHotKey(0, 0x74));
    desktop.AdvanceBy(1000);
    EXPECT_EQ(desktop.SentEvents().size(), 6u * 3u);
    EXPECT_EQ(desktop.SentEvents()[1].flags, msg::kMouseEventRightDown);
    ASSERT_TRUE(desktop.PressHotKey(0, 0x74));
    EXPECT_FALSE(host.Engine().Running());

    desktop.SendMessage(host.Window(), msg::kClose, 0, 0);
    EXPECT_EQ(desktop.QuitCode(), 0);
    EXPECT_TRUE(desktop.HotkeyRegistrations().empty());
    auto stored = desktop.Value(u"SOFTWARE\\ZintraMouse", u"MouseData");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->data.size(), 424u);
}

TEST(HiddenHost, UnavailableKeyRegistersNoHotkey) {
    sim::SimDesktop desktop;
    desktop.FailKey(u"SOFTWARE\\ZintraMouse");
    HiddenHost host(desktop);
    ASSERT_TRUE(host.Create());
    EXPECT_TRUE(desktop.HotkeyRegistrations().empty());
}

}  // namespace
}  // namespace zintra
