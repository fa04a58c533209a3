#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "clicker/ClickEngine.h"
#include "hotkey/StartStopHotkey.h"
#include "platform/Messages.h"
#include "sim/SimDesktop.h"
#include "tests/unit/support/DesktopClickWindow.h"

namespace zintra {
namespace {

using platform::MouseEvent;

class RecordingNotifier final : public RunNotifier {
public:
    void ShowBalloon(std::u16string_view text, std::u16string_view title) override {
        texts.emplace_back(text);
        titles.emplace_back(title);
    }
    std::vector<std::u16string> texts;
    std::vector<std::u16string> titles;
};

// Routes the window's messages to the engine the way its owning window does.
class EngineHost : public platform::MessageHandler {
public:
    explicit EngineHost(ClickEngine& engine) : engine_(engine) {}
    std::optional<std::intptr_t> HandleMessage(platform::NativeWindow, std::uint32_t message, std::uintptr_t wParam,
                                               std::intptr_t) override {
        if (message == msg::kHotKey && wParam == kStartStopHotkeyId) engine_.Toggle();
        if (message == msg::kTimer) engine_.OnTimer(wParam);
        return 0;
    }

private:
    ClickEngine& engine_;
};

class ClickEngineTest : public ::testing::Test {
protected:
    ClickEngineTest() : engine(settings, desktop, random), host(engine) {
        window = desktop.CreateMessageWindow(host);
        desktop.ShowWindow(window, msg::kSwShow);
        clickWindow = std::make_unique<test::DesktopClickWindow>(desktop, window);
        engine.SetWindow(clickWindow.get());
        engine.SetNotifier(&notifier);
        RegisterStartStopHotkey(desktop, window, settings);
    }

    void Press() { ASSERT_TRUE(desktop.PressHotKey(settings.hotkeyModifiers, settings.hotkeyVk)); }
    std::size_t Clicks() const { return desktop.SentEvents().size() / 3; }

    sim::SimDesktop desktop;
    ClickSettings settings;
    RuntimeRandom random;
    std::unique_ptr<test::DesktopClickWindow> clickWindow;  // outlives the engine
    ClickEngine engine;
    EngineHost host;
    RecordingNotifier notifier;
    platform::NativeWindow window = 0;
};

TEST_F(ClickEngineTest, DefaultRunClicksAtOnceThenEvery100MsUntilStopped) {
    Press();
    EXPECT_TRUE(engine.Running());
    EXPECT_EQ(Clicks(), 1u) << "the first click goes out at once";
    EXPECT_EQ(desktop.SendInputCalls(), 1) << "one call queues all three events";
    EXPECT_EQ(desktop.TimerPeriod(window, kClickTimerId), 100u);

    desktop.AdvanceBy(99);
    EXPECT_EQ(Clicks(), 1u);
    desktop.AdvanceBy(1);
    EXPECT_EQ(Clicks(), 2u);
    desktop.AdvanceBy(900);
    EXPECT_EQ(Clicks(), 11u);
    EXPECT_EQ(engine.ClickCount(), 11);

    Press();
    EXPECT_FALSE(engine.Running());
    EXPECT_TRUE(desktop.TimerPeriod(window, kClickTimerId)) << "a stop leaves the timer to its next tick";
    desktop.AdvanceBy(100);
    EXPECT_EQ(Clicks(), 11u) << "the tick after a stop only ends the timer";
    EXPECT_FALSE(desktop.TimerPeriod(window, kClickTimerId));
    EXPECT_EQ(desktop.PreciseTimingDepth(), 0);

    const std::vector<std::u16string> expected{u"鼠标连点器已经开始", u"鼠标连点器已经停止"};
    EXPECT_EQ(notifier.texts, expected);
    EXPECT_EQ(notifier.titles, (std::vector<std::u16string>{u"", u""}));
}

TEST_F(ClickEngineTest, ClickTypesSendTheirButtonEvents) {
    struct Case {
        std::int32_t type;
        std::uint32_t second, third;
    };
    for (const Case c : {Case{0, 0x0002, 0x0004}, Case{1, 0x0008, 0x0010}, Case{2, 0x0002, 0x0002},
                         Case{7, 0x0002, 0x0004}}) {
        desktop.ClearSentEvents();
        settings.clickType = c.type;
        Press();
        ASSERT_EQ(desktop.SentEvents().size(), 3u) << c.type;
        EXPECT_EQ(desktop.SentEvents()[0].flags, 0x8000u);
        EXPECT_EQ(desktop.SentEvents()[1].flags, c.second) << c.type;
        EXPECT_EQ(desktop.SentEvents()[2].flags, c.third) << c.type;
        Press();
        desktop.AdvanceBy(10000);
    }
}

TEST_F(ClickEngineTest, LongPressTicksEvery10MsAndNeverReleasesTheButton) {
    settings.clickType = kClickLeftLongPress;
    settings.interval = 3.0f;
    Press();
    EXPECT_EQ(desktop.LastRequestedPeriod(), 1u);
    EXPECT_EQ(desktop.TimerPeriod(window, kClickTimerId), 10u) << "the platform's floor";
    desktop.AdvanceBy(100);
    EXPECT_EQ(Clicks(), 11u);
    Press();
    desktop.AdvanceBy(100);
    for (const MouseEvent& e : desktop.SentEvents()) {
        EXPECT_EQ(e.flags & (msg::kMouseEventLeftUp | msg::kMouseEventRightUp), 0u);
    }
}

// The input hears each end of a run once, so a path that holds buttons
// itself can let them go: a stop, the limit, input lost, the program's end.
TEST_F(ClickEngineTest, EveryEndOfARunIsToldToTheInputOnce) {
    settings.clickType = kClickLeftLongPress;
    Press();
    desktop.AdvanceBy(50);
    EXPECT_EQ(desktop.EndRunCalls(), 0) << "not while the run lasts";
    Press();
    EXPECT_EQ(desktop.EndRunCalls(), 1) << "at the stop, not at the tick after it";
    desktop.AdvanceBy(100);
    EXPECT_EQ(desktop.EndRunCalls(), 1);

    settings.useLimitCount = 1;
    settings.limitCount = 3;
    Press();
    desktop.AdvanceBy(20);
    EXPECT_EQ(desktop.EndRunCalls(), 1) << "the third click is still held";
    desktop.AdvanceBy(10);
    EXPECT_FALSE(engine.Running());
    EXPECT_EQ(desktop.EndRunCalls(), 2);
    Press();
    desktop.AdvanceBy(20);
    Press();
    EXPECT_EQ(desktop.EndRunCalls(), 3);
    desktop.AdvanceBy(100);
    EXPECT_EQ(desktop.EndRunCalls(), 3) << "the limit's tick after a stop tells nothing more";

    settings.useLimitCount = 0;
    Press();
    desktop.SetInputProblem("桌面关闭了会话");
    desktop.AdvanceBy(10);
    EXPECT_EQ(desktop.EndRunCalls(), 4);
    desktop.SetInputProblem("");

    auto ending = std::make_unique<ClickEngine>(settings, desktop, random);
    ending->SetWindow(clickWindow.get());
    ending->Toggle();
    ASSERT_TRUE(ending->Running());
    ending.reset();
    EXPECT_EQ(desktop.EndRunCalls(), 5) << "an engine that goes mid-run ends it";
    { ClickEngine idle(settings, desktop, random); }
    EXPECT_EQ(desktop.EndRunCalls(), 5) << "one with no run has nothing to end";
}

// Input paths that need the desktop's permission, or lose their way to it.
constexpr char kProblem[] = "桌面关闭了会话";

TEST_F(ClickEngineTest, AStartWaitsForTheDesktopAndAPressMeanwhileCallsItOff) {
    desktop.SetRunReadiness(true, true);
    Press();
    EXPECT_TRUE(engine.Preparing());
    EXPECT_FALSE(engine.Running());
    desktop.AdvanceBy(500);
    EXPECT_EQ(Clicks(), 0u) << "nothing before the desktop answers";
    ASSERT_TRUE(desktop.AnswerPrepareRun(true));
    EXPECT_TRUE(engine.Running());
    EXPECT_EQ(Clicks(), 0u) << "the desktop's dialog may still be under the pointer";
    desktop.AdvanceBy(100);
    EXPECT_EQ(Clicks(), 1u) << "the first click one period after the answer";
    Press();
    desktop.AdvanceBy(200);

    Press();
    Press();  // called off before the answer
    EXPECT_FALSE(engine.Preparing());
    ASSERT_TRUE(desktop.AnswerPrepareRun(true));
    desktop.AdvanceBy(500);
    EXPECT_FALSE(engine.Running()) << "a late answer starts nothing";
    EXPECT_EQ(Clicks(), 1u);
    EXPECT_EQ(desktop.PrepareRunCalls(), 2);
}

TEST_F(ClickEngineTest, ARefusedStartClicksNothingSaysWhyAndTheNextStartAsksAgain) {
    desktop.SetInputProblem(kProblem);
    desktop.SetRunReadiness(false);
    Press();
    desktop.AdvanceBy(500);
    EXPECT_FALSE(engine.Running());
    EXPECT_EQ(desktop.SendInputCalls(), 0);
    EXPECT_EQ(clickWindow->problems, std::vector<std::u16string>{u"桌面关闭了会话"});
    EXPECT_TRUE(notifier.texts.empty()) << "no run started, so none stopped";

    desktop.SetInputProblem("");
    desktop.SetRunReadiness(true);
    Press();
    EXPECT_TRUE(engine.Running());
    EXPECT_EQ(Clicks(), 1u);
    EXPECT_EQ(desktop.PrepareRunCalls(), 2);
}

TEST_F(ClickEngineTest, InputLostMidRunStopsTheRunCleanlyAndShowsTheWindowAndTheProblem) {
    settings.hideMain = 1;
    Press();
    desktop.AdvanceBy(100);
    EXPECT_EQ(Clicks(), 2u);
    EXPECT_FALSE(desktop.IsWindowVisible(window)) << "hidden while clicking";
    desktop.SetInputProblem(kProblem);
    desktop.AdvanceBy(100);
    EXPECT_FALSE(engine.Running());
    EXPECT_EQ(engine.ClickCount(), 2) << "the click that went nowhere is not counted";
    EXPECT_FALSE(desktop.TimerPeriod(window, kClickTimerId));
    EXPECT_EQ(desktop.PreciseTimingDepth(), 0);
    EXPECT_TRUE(desktop.IsWindowVisible(window));
    EXPECT_EQ(clickWindow->problems, std::vector<std::u16string>{u"桌面关闭了会话"});
    EXPECT_EQ(notifier.texts.back(), u"鼠标连点器已经停止");
    const int sends = desktop.SendInputCalls();
    desktop.AdvanceBy(1000);
    EXPECT_EQ(desktop.SendInputCalls(), sends) << "nothing more is tried";

    desktop.SetInputProblem("");
    Press();
    EXPECT_EQ(desktop.PrepareRunCalls(), 2) << "the next start asks again";
    EXPECT_TRUE(engine.Running());
}

TEST(ClickPeriod, PresetsFollowFloatToDoubleTruncation) {
    RuntimeRandom random;
    ClickSettings s;
    const std::pair<float, std::uint32_t> table[] = {
        {0.01f, 9}, {0.02f, 19}, {0.05f, 50}, {0.1f, 100}, {0.2f, 200}, {0.6f, 600},
        {1.0f, 1000}, {2.0f, 2000}, {3.0f, 3000}, {0.0015f, 1}, {0.35f, 349}, {0.0f, 0},
    };
    for (const auto& [seconds, period] : table) {
        s.interval = seconds;
        EXPECT_EQ(ClickPeriodMilliseconds(s, random), period) << seconds;
    }
    s.interval = -0.5f;
    EXPECT_EQ(ClickPeriodMilliseconds(s, random), static_cast<std::uint32_t>(-500));
    s.interval = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(ClickPeriodMilliseconds(s, random), 0u) << "an unreadable value must not be undefined behaviour";
    s.interval = 3e38f;
    EXPECT_EQ(ClickPeriodMilliseconds(s, random), 0u);
}

TEST(ClickPeriod, RandomPeriodsAreWholeSecondsFromTheRuntimeSequence) {
    ClickSettings s;
    s.useRandomTime = 1;
    s.randomMax = 5;
    RuntimeRandom reference;
    RuntimeRandom random;
    std::vector<std::uint32_t> first;
    for (int i = 0; i < 20; ++i) {
        const std::uint32_t period = ClickPeriodMilliseconds(s, random);
        EXPECT_EQ(period, static_cast<std::uint32_t>(reference.Next() % 5) * 1000u);
        EXPECT_EQ(period % 1000, 0u);
        EXPECT_LE(period, 4000u);
        first.push_back(period);
    }
    // The generator of every start begins at the same state: 41, 18467, 6334, ...
    RuntimeRandom again;
    EXPECT_EQ(again.Next(), 41);
    EXPECT_EQ(again.Next(), 18467);
    EXPECT_EQ(again.Next(), 6334);
    RuntimeRandom restart;
    for (int i = 0; i < 20; ++i) EXPECT_EQ(ClickPeriodMilliseconds(s, restart), first[i]);

    s.randomMax = 1;
    EXPECT_EQ(ClickPeriodMilliseconds(s, random), 0u);
    s.randomMax = 0;
    s.interval = 0.2f;
    EXPECT_EQ(ClickPeriodMilliseconds(s, random), 200u) << "a bound of 0 switches the random interval off";
    s.randomMax = -3;
    EXPECT_EQ(ClickPeriodMilliseconds(s, random), 200u);
    s.randomMax = 5;
    s.clickType = kClickLeftLongPress;
    RuntimeRandom untouched;
    EXPECT_EQ(ClickPeriodMilliseconds(s, untouched), 1u);
    EXPECT_EQ(untouched.Next(), 41) << "long-press draws no random number";
}

TEST_F(ClickEngineTest, RandomRunDrawsOnePeriodPerClick) {
    settings.useRandomTime = 1;
    settings.randomMax = 3;
    RuntimeRandom reference;
    Press();
    for (int i = 0; i < 6; ++i) {
        const std::uint32_t expected = static_cast<std::uint32_t>(reference.Next() % 3) * 1000u;
        EXPECT_EQ(desktop.LastRequestedPeriod(), expected);
        desktop.AdvanceBy(std::max<std::uint32_t>(expected, 10));
    }
}

TEST_F(ClickEngineTest, LimitOfThreeSendsExactlyThreeClicks) {
    settings.useLimitCount = 1;
    settings.limitCount = 3;
    Press();
    desktop.AdvanceBy(1000);
    EXPECT_EQ(Clicks(), 3u);
    EXPECT_FALSE(engine.Running());
    EXPECT_FALSE(desktop.TimerPeriod(window, kClickTimerId));
    EXPECT_EQ(notifier.texts.size(), 1u) << "no notice when the limit ends a run";
    EXPECT_EQ(desktop.PreciseTimingDepth(), 0);

    Press();
    EXPECT_TRUE(engine.Running()) << "the next press starts a new run";
    EXPECT_EQ(notifier.texts.back(), u"鼠标连点器已经开始");
    desktop.AdvanceBy(1000);
    EXPECT_EQ(Clicks(), 6u);
}

TEST_F(ClickEngineTest, LimitOfZeroStillSendsTheFirstClick) {
    settings.useLimitCount = 1;
    settings.limitCount = 0;
    Press();
    desktop.AdvanceBy(1000);
    EXPECT_EQ(Clicks(), 1u);
    EXPECT_FALSE(engine.Running());
}

TEST_F(ClickEngineTest, FixedPositionMovesThePointerThere) {
    settings.useFixedPos = 1;
    settings.posX = 960;
    settings.posY = 540;
    desktop.MoveCursor({5, 5});
    Press();
    ASSERT_EQ(desktop.SentEvents().size(), 3u);
    EXPECT_EQ(desktop.SentEvents()[0], (MouseEvent{32768, 32768, 0, 0x8001, 0, 0}));
    EXPECT_EQ(desktop.SentEvents()[1], (MouseEvent{32768, 32768, 0, 0x0002, 0, 0}));
    EXPECT_EQ(desktop.SentEvents()[2], (MouseEvent{32768, 32768, 0, 0x0004, 0, 0}));
    EXPECT_EQ(desktop.CursorPosition(), (platform::Point{960, 540}));
}

TEST_F(ClickEngineTest, PointerPositionIsNormalisedWithoutMoving) {
    desktop.MoveCursor({100, 100});
    Press();
    ASSERT_EQ(desktop.SentEvents().size(), 3u);
    EXPECT_EQ(desktop.SentEvents()[0], (MouseEvent{3413, 6068, 0, 0x8000, 0, 0}));
    EXPECT_EQ(desktop.SentEvents()[1].dx, 3413);
    EXPECT_EQ(desktop.SentEvents()[2].dy, 6068);
}

TEST_F(ClickEngineTest, ScreenGeometryIsReadOncePerSecondNotPerClickAndFollowsANewMonitor) {
    settings.interval = 0.01f;
    settings.useFixedPos = 1;
    settings.posX = -300;
    settings.posY = 540;
    Press();
    desktop.AdvanceBy(990);
    ASSERT_EQ(Clicks(), 100u);
    const int readsPerLookup = desktop.ScreenGeometryReads();
    EXPECT_GT(readsPerLookup, 0);
    EXPECT_LE(readsPerLookup, 2) << "one lookup for the first hundred clicks";
    EXPECT_EQ(desktop.CursorPosition(), (platform::Point{0, 540})) << "off the one monitor: clamped to its edge";

    // A monitor plugged in left of the primary during the run.
    desktop.SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96},
                         {{-1920, 0, 0, 1080}, {-1920, 0, 0, 1040}, 96}});
    desktop.AdvanceBy(1000);
    EXPECT_EQ(desktop.CursorPosition(), (platform::Point{-300, 540})) << "clicked where it was picked within a second";
    EXPECT_LE(desktop.ScreenGeometryReads(), 2 * readsPerLookup);

    // The next run starts with a fresh look.
    Press();
    desktop.SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96}});
    Press();
    EXPECT_EQ(desktop.CursorPosition(), (platform::Point{0, 540}));
}

TEST_F(ClickEngineTest, SettingsChangedDuringARunApplyToTheNextClick) {
    Press();
    settings.clickType = kClickRight;
    settings.interval = 1.0f;
    desktop.AdvanceBy(100);
    EXPECT_EQ(desktop.SentEvents().back().flags, 0x0010u);
    EXPECT_EQ(desktop.TimerPeriod(window, kClickTimerId), 1000u);
}

TEST_F(ClickEngineTest, ThousandClicksAtTenMillisecondsEndAtTenSecondsThoughEveryTickIsLate) {
    settings.interval = 0.01f;  // 9 ms, run at the 10 ms floor
    desktop.SetTimerLatency(2);
    Press();
    desktop.AdvanceBy(10000 - 10);
    EXPECT_LT(Clicks(), 1001u) << "not ahead of the grid";
    desktop.AdvanceBy(20);
    EXPECT_GE(Clicks(), 1001u) << "1000 steps after the first click, within one period of 10 s";
    EXPECT_EQ(desktop.LastRequestedPeriod(), 9u) << "the period as asked; the platform applies its floor";
}

TEST_F(ClickEngineTest, LateTickIsFollowedByTheNextOnTheGridNotByABurst) {
    settings.interval = 0.01f;
    Press();
    desktop.AdvanceBy(95);
    EXPECT_EQ(Clicks(), 10u);
    desktop.DelayNextTimer(50);  // the tick due at 100 arrives at 150
    desktop.AdvanceBy(54);
    EXPECT_EQ(Clicks(), 10u);
    desktop.AdvanceBy(1);
    EXPECT_EQ(Clicks(), 11u) << "one click for the late tick, not six";
    desktop.AdvanceBy(9);
    EXPECT_EQ(Clicks(), 11u);
    desktop.AdvanceBy(1);
    EXPECT_EQ(Clicks(), 12u) << "the next one at 160, on the grid";
}

TEST_F(ClickEngineTest, ChangedIntervalKeepsTheGridOfTheTickThatWasDue) {
    desktop.SetTimerLatency(3);
    Press();  // clicks at 0, 103, 203, ... 
    desktop.AdvanceBy(250);
    EXPECT_EQ(Clicks(), 3u);
    settings.interval = 0.2f;
    desktop.AdvanceBy(53);  // 303: the tick due at 300 still goes at the old pace
    EXPECT_EQ(Clicks(), 4u);
    desktop.AdvanceBy(199);
    EXPECT_EQ(Clicks(), 4u);
    desktop.AdvanceBy(1);  // 503: 300 + 200, late by the latency only
    EXPECT_EQ(Clicks(), 5u);
    desktop.AdvanceBy(399);
    EXPECT_EQ(Clicks(), 6u);
    desktop.AdvanceBy(1);  // 903, not 909: the lateness does not add up
    EXPECT_EQ(Clicks(), 7u);
}

TEST_F(ClickEngineTest, TimerOnTheGridIsNotRearmedForEveryClick) {
    Press();
    const int armed = desktop.SetTimerCalls();
    desktop.SetTimerLatency(1);
    desktop.AdvanceBy(1000);
    EXPECT_EQ(Clicks(), 10u);
    EXPECT_EQ(desktop.TimerPeriod(window, kClickTimerId), 100u);
    EXPECT_EQ(desktop.SetTimerCalls(), armed) << "the repeating timer keeps its own phase";
}

TEST(NormaliseCoordinate, TruncatesAndHandlesOddInput) {
    EXPECT_EQ(NormaliseCoordinate(1919, 1920), 65501);
    EXPECT_EQ(NormaliseCoordinate(-10, 1920), -341) << "left of the primary screen";
    EXPECT_EQ(NormaliseCoordinate(2000, 1920), 68266) << "beyond the edge: the platform clamps";
    EXPECT_EQ(NormaliseCoordinate(100, 0), 0) << "a failed metrics call must not divide by zero";
    EXPECT_EQ(NormaliseCoordinate(40000, 1920), static_cast<std::int32_t>(40000u * 65536u) / 1920)
        << "wraps like 32-bit arithmetic";
}

TEST_F(ClickEngineTest, HideMainHidesOnStartAndShowsOnlyWhenTheLimitEndsTheRun) {
    settings.hideMain = 1;
    Press();
    EXPECT_FALSE(desktop.IsWindowVisible(window));
    Press();
    desktop.AdvanceBy(200);
    EXPECT_FALSE(desktop.IsWindowVisible(window)) << "a manual stop leaves it hidden";

    settings.useLimitCount = 1;
    settings.limitCount = 2;
    Press();
    desktop.AdvanceBy(500);
    EXPECT_TRUE(desktop.IsWindowVisible(window));
    EXPECT_GT(desktop.Window(window)->raisedAt, 0u) << "brought to the top";
}

TEST_F(ClickEngineTest, CloseRightTipSuppressesBothNotices) {
    settings.closeRightTip = 1;
    Press();
    Press();
    EXPECT_TRUE(notifier.texts.empty());
}

TEST_F(ClickEngineTest, OtherTimersAreNotTheEngines) {
    EXPECT_TRUE(engine.OnTimer(1525));
    EXPECT_EQ(Clicks(), 0u);
}

TEST_F(ClickEngineTest, AnotherTimerDuringARunNeitherClicksNorStopsIt) {
    Press();
    ASSERT_EQ(Clicks(), 1u);
    EXPECT_TRUE(engine.OnTimer(1525));
    EXPECT_EQ(Clicks(), 1u);
    EXPECT_TRUE(desktop.TimerPeriod(window, kClickTimerId)) << "the click timer keeps running";
    EXPECT_EQ(desktop.PreciseTimingDepth(), 1);
    desktop.AdvanceBy(100);
    EXPECT_EQ(Clicks(), 2u);
}

}  // namespace
}  // namespace zintra
