// The click-count test: the start/stop hotkey over the test button sends
// complete clicks at the interval until the number in the limit field.
#include <cmath>
#include <limits>

#include "tests/unit/settings/SettingsFixture.h"

namespace zintra::test {
namespace {

class CountTest : public SettingsWindow {
protected:
    CountTest() {
        settings.limitCount = 3;
        settings.interval = 0.5f;
    }

    void PressHotkey() { ASSERT_TRUE(ui.desktop.PressHotKey(settings.hotkeyModifiers, settings.hotkeyVk)); }
    std::size_t Clicks() const { return ui.desktop.SentEvents().size() / 3; }
    std::optional<std::uint32_t> TestTimer() const {
        return ui.desktop.TimerPeriod(dialog->GetHwnd(), kCountTestTimerId);
    }
    std::vector<std::uint32_t> Flags() const {
        std::vector<std::uint32_t> flags;
        for (const auto& event : ui.desktop.SentEvents()) flags.push_back(event.flags);
        return flags;
    }
};

TEST_F(CountTest, LimitOfThreeAtHalfASecondSendsThreeClicksAt0And500And1000Ms) {
    Open([&](HeadlessDriver& driver) {
        ASSERT_FALSE(Checked(driver, "useLimitCount")) << "the limit applies without the box";
        const platform::Point over = ScreenCentre(driver, "btn_test");
        ui.desktop.MoveCursor(over);
        PressHotkey();
        EXPECT_EQ(Clicks(), 1u);
        EXPECT_EQ(ui.desktop.SendInputCalls(), 1);
        EXPECT_EQ(Text(driver, "txt_testCount"), u"当前已经点击1次");
        ui.desktop.AdvanceBy(499);
        EXPECT_EQ(Clicks(), 1u);
        ui.desktop.AdvanceBy(1);
        EXPECT_EQ(Clicks(), 2u);
        ui.desktop.AdvanceBy(500);
        EXPECT_EQ(Clicks(), 3u);
        EXPECT_TRUE(dialog->TestRunning());
        ui.desktop.AdvanceBy(500);
        EXPECT_EQ(Clicks(), 3u);
        EXPECT_FALSE(dialog->TestRunning());
        EXPECT_FALSE(TestTimer());
        EXPECT_EQ(Text(driver, "txt_testCount"), u"当前已经点击3次");
        ui.desktop.AdvanceBy(5000);
        EXPECT_EQ(Clicks(), 3u);

        // Every click is a complete left click at the cursor, which is not moved.
        const platform::Size screen = ui.desktop.PrimaryScreenSize();
        for (const auto& event : ui.desktop.SentEvents()) {
            EXPECT_EQ(event.dx, over.x * 65536 / screen.width);
            EXPECT_EQ(event.dy, over.y * 65536 / screen.height);
        }
        EXPECT_EQ(Flags(), (std::vector<std::uint32_t>{0x8000, 2, 4, 0x8000, 2, 4, 0x8000, 2, 4}));
        EXPECT_FALSE(LookupFailed());
    });
}

TEST_F(CountTest, APointerWhosePositionCannotBeKnownIsNotOverTheButton) {
    Open([&](HeadlessDriver& driver) {
        // The stale point still lies on the button, but the pointer is elsewhere.
        ui.desktop.MoveCursor(ScreenCentre(driver, "btn_test"));
        ui.desktop.SetCursorKnown(false);
        PressHotkey();
        ui.desktop.AdvanceBy(1000);
        EXPECT_EQ(Clicks(), 0u);
        EXPECT_FALSE(dialog->TestRunning());
    });
}

TEST_F(CountTest, LateTicksDoNotStretchTheRun) {
    settings.limitCount = 101;
    settings.interval = 0.05f;
    Open([&](HeadlessDriver& driver) {
        ui.desktop.MoveCursor(ScreenCentre(driver, "btn_test"));
        ui.desktop.SetTimerLatency(3);
        PressHotkey();
        ui.desktop.AdvanceBy(100 * 50 + 2);
        EXPECT_EQ(Clicks(), 100u);
        ui.desktop.AdvanceBy(1);
        EXPECT_EQ(Clicks(), 101u) << "100 steps of 50 ms after the first, late by one latency only";
        EXPECT_EQ(Text(driver, "txt_testCount"), u"当前已经点击101次");
        ui.desktop.DelayNextTimer(200);  // the step that ends the run comes late; nothing more is sent
        ui.desktop.AdvanceBy(1000);
        EXPECT_EQ(Clicks(), 101u);
        EXPECT_FALSE(dialog->TestRunning());
    });
}

TEST_F(CountTest, HotkeyAwayFromTheTestButtonDoesNothing) {
    Open([&](HeadlessDriver& driver) {
        const platform::Rect button = driver.State("btn_test")->rect;
        // Just past the right edge, which is not part of the button.
        ui.desktop.MoveCursor(dialog->ClientToScreen({button.right, button.top + 1}));
        PressHotkey();
        EXPECT_EQ(Clicks(), 0u);
        EXPECT_FALSE(dialog->TestRunning());
        EXPECT_FALSE(TestTimer());
        ui.desktop.MoveCursor(dialog->ClientToScreen({button.right - 1, button.top}));
        PressHotkey();
        EXPECT_EQ(Clicks(), 1u) << "the top-left edges belong to the button";
    });
}

TEST_F(CountTest, SecondPressStopsTheRunWhereverTheCursorIs) {
    settings.limitCount = 10;
    Open([&](HeadlessDriver& driver) {
        ui.desktop.MoveCursor(ScreenCentre(driver, "btn_test"));
        PressHotkey();
        ui.desktop.AdvanceBy(500);
        ui.desktop.MoveCursor({5, 5});
        PressHotkey();
        EXPECT_FALSE(dialog->TestRunning());
        EXPECT_FALSE(TestTimer());
        EXPECT_EQ(dialog->TestCount(), 0);
        EXPECT_EQ(Text(driver, "txt_testCount"), u"当前已经点击2次") << "the count reached stays shown";
        ui.desktop.AdvanceBy(3000);
        EXPECT_EQ(Clicks(), 2u);

        ui.desktop.MoveCursor(ScreenCentre(driver, "btn_test"));
        PressHotkey();
        EXPECT_EQ(Text(driver, "txt_testCount"), u"当前已经点击1次") << "a new run counts from 1";
    });
}

TEST_F(CountTest, TickAlreadyQueuedWhenTheRunStoppedSendsNothing) {
    settings.limitCount = 10;
    Open([&](HeadlessDriver& driver) {
        ui.desktop.MoveCursor(ScreenCentre(driver, "btn_test"));
        PressHotkey();
        PressHotkey();
        ui.desktop.PostMessage(dialog->GetHwnd(), msg::kTimer, kCountTestTimerId, 0);
        ui.desktop.AdvanceBy(2000);
        EXPECT_EQ(Clicks(), 1u);
        EXPECT_FALSE(TestTimer());
    });
}

TEST_F(CountTest, EveryClickTypeIsTriedAsACompleteClickOfItsButton) {
    settings.limitCount = 1;
    const std::pair<std::int32_t, std::vector<std::uint32_t>> cases[] = {
        {kClickRight, {0x8000, 8, 16}},
        {kClickLeftLongPress, {0x8000, 2, 4}},  // down and up, unlike a real long-press run
    };
    for (const auto& [type, flags] : cases) {
        settings.clickType = type;
        ui.desktop.ClearSentEvents();
        Open([&](HeadlessDriver& driver) {
            ui.desktop.MoveCursor(ScreenCentre(driver, "btn_test"));
            PressHotkey();
        });
        EXPECT_EQ(Flags(), flags) << "click type " << type;
    }
}

TEST_F(CountTest, ZeroLimitEndsTheRunAtItsFirstStepWithoutAClick) {
    settings.limitCount = 0;
    Open([&](HeadlessDriver& driver) {
        ui.desktop.MoveCursor(ScreenCentre(driver, "btn_test"));
        PressHotkey();
        EXPECT_EQ(Clicks(), 0u);
        EXPECT_FALSE(dialog->TestRunning());
        EXPECT_EQ(Text(driver, "txt_testCount"), u"当前已经点击0次");
    });
}

TEST_F(CountTest, LimitIsTheFieldsTextNotTheRecord) {
    settings.limitCount = 1;
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("useLimitCount"));
        Retype(driver, "edt_LimitCount", u"2");
        ui.desktop.MoveCursor(ScreenCentre(driver, "btn_test"));
        PressHotkey();
        ui.desktop.AdvanceBy(2000);
        EXPECT_EQ(Clicks(), 2u);
    });
    EXPECT_EQ(settings.limitCount, 1) << "closing does not take the field back";
}

TEST_F(CountTest, RunAsksForFineTimersUntilItEnds) {
    Open([&](HeadlessDriver& driver) {
        ui.desktop.MoveCursor(ScreenCentre(driver, "btn_test"));
        PressHotkey();
        EXPECT_EQ(ui.desktop.PreciseTimingDepth(), 1);
        ui.desktop.AdvanceBy(1500);
        EXPECT_EQ(ui.desktop.PreciseTimingDepth(), 0);
        PressHotkey();
        EXPECT_EQ(ui.desktop.PreciseTimingDepth(), 1);
    });
    EXPECT_EQ(ui.desktop.PreciseTimingDepth(), 0) << "closing mid-run gives the request back";
}

TEST(CountTestPeriod, TruncatesTheMillisecondsAndHoldsThemToTheTimersRange) {
    EXPECT_EQ(CountTestPeriod(0.5f), 500u);
    EXPECT_EQ(CountTestPeriod(0.01f), 9u) << "the single-precision 0.01 is just below 10 ms";
    EXPECT_EQ(CountTestPeriod(0.0f), 0u);
    EXPECT_EQ(CountTestPeriod(-3.0f), 0u);
    EXPECT_EQ(CountTestPeriod(std::nanf("")), 0u);
    EXPECT_EQ(CountTestPeriod(1e9f), 2147483647u);
    EXPECT_EQ(CountTestPeriod(std::numeric_limits<float>::infinity()), 2147483647u);
}

}  // namespace
}  // namespace zintra::test
