#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Program.h"
#include "app/UpdateGate.h"
#include "online/HttpFetch.h"
#include "online/OnlineConfig.h"
#include "online/UpdateCheck.h"
#include "platform/Messages.h"
#include "sim/SimDesktop.h"
#include "tests/unit/support/TestHttpServer.h"
#include "ui/core/SHostDialog.h"
#include "sim/headless/HeadlessBackend.h"
#include "sim/headless/HeadlessDriver.h"

namespace zintra {
namespace {

void RunNothing(std::function<void()>) {}

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() {
        platform::SetCurrent(&desktop);
        // Servers that refuse at once: no update is offered, no report arrives.
        ::setenv("ZINTRA_UPDATE_URL", "http://127.0.0.1:9/update/update.json", 1);
        ::setenv("ZINTRA_REPORT_URL", "http://127.0.0.1:9/data.html", 1);
        desktop.System().SetExecutablePath(u"C:\\Program Files\\Zintra\\zintra.exe");
    }
    ~ProgramTest() override {
        // The simulated loop has returned; what the windows posted on their way out still runs.
        desktop.DispatchPosted();
        // A check still asking when the test ends would be cut off with the process.
        EXPECT_TRUE(WaitForUpdateChecksForTesting(std::chrono::seconds(60)));
        ::unsetenv("ZINTRA_UPDATE_URL");
        ::unsetenv("ZINTRA_REPORT_URL");
        platform::SetCurrent(nullptr);
    }

    // The show commands the main window got during the run.
    std::vector<int> MainWindowShows() const {
        std::vector<int> commands;
        for (const auto& [window, command] : desktop.ShowCalls()) commands.push_back(command);
        return commands;
    }

    sim::SimDesktop desktop;
    ui::HeadlessBackend backend{desktop};
};

TEST_F(ProgramTest, SecondStartEndsAtOnceWithoutTouchingAnything) {
    desktop.ProcessState().HoldMutex(kSingleInstanceMutex);
    EXPECT_EQ(RunProgram(u"", backend, RunNothing), 0);
    EXPECT_TRUE(desktop.HotkeyRegistrations().empty());
    EXPECT_FALSE(desktop.KeyExists(u"SOFTWARE\\ZintraMouse"));
    EXPECT_TRUE(desktop.ShowCalls().empty()) << "no window";
    EXPECT_EQ(desktop.ProcessState().ComponentsDepth(), 0);
    EXPECT_EQ(desktop.ProcessState().AskedToShow(), std::vector<std::u16string>{kSingleInstanceMutex})
        << "the running instance is asked for its window (a no-op on Windows)";
}

TEST_F(ProgramTest, StartShowsTheMainWindowWithItsTrayIconAndEndsCleanly) {
    // The shell is slow to take an icon, so the window is on screen before it is asked.
    std::vector<std::size_t> showsAtTrayCall;
    int componentsAtTrayCall = -1;
    desktop.ShellState().WatchTrayCalls([&](const sim::SimShell::TrayCall&) {
        showsAtTrayCall.push_back(desktop.ShowCalls().size());
        if (componentsAtTrayCall < 0) componentsAtTrayCall = desktop.ProcessState().ComponentsDepth();
    });
    EXPECT_EQ(RunProgram(u"\"C:\\Program Files\\Zintra\\zintra.exe\"", backend, RunNothing), 0);
    ASSERT_GE(showsAtTrayCall.size(), 2u);
    EXPECT_EQ(showsAtTrayCall.front(), 1u) << "the icon is added once the main window is shown";
    EXPECT_EQ(componentsAtTrayCall, 1) << "COM runs once the window is up";
    const auto& calls = desktop.ShellState().TrayCalls();
    EXPECT_EQ(calls[1].action, platform::TrayAction::Modify) << "then any old balloon is cleared";
    EXPECT_TRUE(calls[1].data.flags & platform::tray::kInfo);
    EXPECT_EQ(calls[1].data.info[0], u'\0');
    EXPECT_TRUE(desktop.ProcessState().MutexHeld(kSingleInstanceMutex));
    EXPECT_EQ(desktop.ProcessState().CurrentDirectory(), u"C:\\Program Files\\Zintra\\");
    EXPECT_EQ(MainWindowShows(), std::vector<int>{msg::kSwShowNormal});
    EXPECT_EQ(desktop.ProcessState().ShowRequestMessage(), msg::kShowMainWindow);
    EXPECT_NE(desktop.ProcessState().ShowRequestWindow(), 0u) << "a second start's request reaches the main window";
    EXPECT_TRUE(desktop.ProcessState().AskedToShow().empty());
    ASSERT_FALSE(desktop.ShellState().TrayCalls().empty());
    EXPECT_EQ(desktop.ShellState().TrayCalls().front().action, platform::TrayAction::Add);
    EXPECT_EQ(std::u16string(desktop.ShellState().TrayCalls().front().data.tip), u"Zintra鼠标连点器");
    EXPECT_FALSE(desktop.ShellState().ShownIcon()) << "the icon goes with the main window";
    EXPECT_EQ(desktop.ProcessState().ComponentsDepth(), 0);
}

// Acts as the user once the program's message loop runs: presses F8, lets the
// clicks run for a while and presses F8 again.
class HotkeyUser final : public platform::MessageHandler {
public:
    explicit HotkeyUser(sim::SimDesktop& desktop) : desktop_(desktop) {}
    std::optional<std::intptr_t> HandleMessage(platform::NativeWindow, std::uint32_t, std::uintptr_t,
                                               std::intptr_t) override {
        startHeld = desktop_.PressHotKey(0, 0x77);
        desktop_.AdvanceBy(250);
        clicks = desktop_.SentEvents().size() / 3;
        stopHeld = desktop_.PressHotKey(0, 0x77);
        desktop_.AdvanceBy(250);
        clicksAfterStop = desktop_.SentEvents().size() / 3;
        return 0;
    }
    bool startHeld = false;
    bool stopHeld = false;
    std::size_t clicks = 0;
    std::size_t clicksAfterStop = 0;

private:
    sim::SimDesktop& desktop_;
};

TEST_F(ProgramTest, AutoStartKeepsTheWindowHiddenButTheHotkeyWorks) {
    HotkeyUser user(desktop);
    desktop.PostMessage(desktop.CreateMessageWindow(user), msg::kUser, 0, 0);
    EXPECT_EQ(RunProgram(u"zintra.exe -auto", backend, RunNothing), 0);
    EXPECT_EQ(MainWindowShows(), std::vector<int>{msg::kSwHide});
    ASSERT_FALSE(desktop.ShellState().TrayCalls().empty()) << "hidden, the program lives in the tray";
    EXPECT_EQ(desktop.ShellState().TrayCalls().front().action, platform::TrayAction::Add);
    EXPECT_TRUE(user.startHeld) << "F8 is registered while the window is hidden";
    EXPECT_EQ(user.clicks, 3u) << "at once, then every 100 ms";
    EXPECT_TRUE(user.stopHeld);
    EXPECT_EQ(user.clicksAfterStop, user.clicks);
}

TEST_F(ProgramTest, AutoFlagIsCaseSensitive) {
    EXPECT_EQ(RunProgram(u"zintra.exe -AUTO", backend, RunNothing), 0);
    EXPECT_EQ(MainWindowShows(), std::vector<int>{msg::kSwShowNormal});
}

class UpdateGateTest : public ProgramTest {
protected:
    void Publish(const std::string& description) {
        ASSERT_TRUE(server.Running());
        Json::Value file;
        file["path"] = "/update/update.json";
        file["body"] = description;
        server.ServeFile(file);
        ::setenv("ZINTRA_UPDATE_URL", server.Url("/update/update.json").c_str(), 1);
    }
    // The update window's user presses `button`; `offered` tells whether it opened.
    void Answer(const char* button) {
        backend.SetModalHook([this, button](ui::SHostDialog& dialog) {
            offered = dialog.GetLayoutName() == "LAYOUT:XML_UPDATE";
            updateWindow = dialog.GetHwnd();
            componentsAtOffer = desktop.ProcessState().ComponentsDepth();
            ui::HeadlessDriver(dialog, backend).Click(button);
        });
    }

    test::TestHttpServer server;
    bool offered = false;
    platform::NativeWindow updateWindow = 0;
    int componentsAtOffer = -1;
};

TEST_F(UpdateGateTest, DeclinedUpdateStartsTheMainWindow) {
    Publish(R"({"version": 3, "updateInfo": "notes"})");
    Answer("btnNotUpdate");
    EXPECT_EQ(RunProgram(u"", backend, RunNothing), 0);
    EXPECT_TRUE(offered);
    EXPECT_FALSE(desktop.ShellState().TrayCalls().empty()) << "the main window and its icon came up";
}

TEST_F(UpdateGateTest, DeclinedForcedUpdateEndsTheProgram) {
    Publish(R"({"version": 3, "forceUpdate": true})");
    Answer("btn_close");
    EXPECT_EQ(RunProgram(u"", backend, RunNothing), 0);
    EXPECT_TRUE(offered);
    EXPECT_EQ(componentsAtOffer, 1) << "COM runs before the update window shows";
    EXPECT_EQ(desktop.ProcessState().ComponentsDepth(), 0);
    EXPECT_TRUE(desktop.ShellState().TrayCalls().empty()) << "no main window";
    EXPECT_TRUE(desktop.HotkeyRegistrations().empty());
    for (const auto& [window, command] : desktop.ShowCalls()) {
        EXPECT_EQ(window, updateWindow) << "the main window, built while the server answered, never showed";
    }
}

TEST_F(UpdateGateTest, InstalledBuildAsNewAsTheDescriptionOffersNothing) {
    Publish(R"({"version": 3, "forceUpdate": 1})");
    desktop.PutValue(u"SOFTWARE\\ZintraMouse", u"Update", platform::reg::kDword, {3, 0, 0, 0});
    Answer("btn_close");
    EXPECT_EQ(RunProgram(u"", backend, RunNothing), 0);
    EXPECT_FALSE(offered);
    EXPECT_FALSE(desktop.ShellState().TrayCalls().empty());
}

TEST_F(UpdateGateTest, ReplayedForcedDescriptionOfThisBuildNeitherOffersNorEnds) {
    // An empty store: only the build's own number stands against the replay.
    Publish(R"({"version": )" + std::to_string(RunningBuild()) + R"(, "forceUpdate": true})");
    Answer("btn_close");
    EXPECT_EQ(RunProgram(u"", backend, RunNothing), 0);
    EXPECT_FALSE(offered);
    EXPECT_EQ(MainWindowShows(), std::vector<int>{msg::kSwShowNormal}) << "the program runs";
}

// An update server that is slow or silent must not hold the first window back.
class LateUpdateTest : public UpdateGateTest {
protected:
    LateUpdateTest() {
        // The record lives for the process: forget what earlier tests' servers said.
        static_cast<UpdateDescription&>(*OnlineConfig::Instance()) = UpdateDescription{};
        SetUpdateCheckPatienceForTesting(std::chrono::milliseconds(20));
        desktop.SetLoopPatience(std::chrono::seconds(5));
    }
    ~LateUpdateTest() override {
        // Still with the short attempts, so a silent server is given up quickly.
        EXPECT_TRUE(WaitForUpdateChecksForTesting(std::chrono::seconds(60)));
        SetUpdateCheckPatienceForTesting(std::chrono::milliseconds(0));
        SetFetchAttemptTimeoutForTesting(std::chrono::milliseconds(0));
    }
    void PublishLate(const std::string& description) {
        Publish(description);
        Json::Value file;
        file["path"] = "/update/update.json";
        file["body"] = description;
        file["chunks"] = 2;  // half the reply, then a pause: the answer takes a second
        file["delay"] = 1.0;
        server.ServeFile(file);
    }
    // Offers `button` as the user's answer, noting whether the main window was up by then.
    void AnswerLate(const char* button) {
        backend.SetModalHook([this, button](ui::SHostDialog& dialog) {
            offered = dialog.GetLayoutName() == "LAYOUT:XML_UPDATE";
            mainWindowFirst = !desktop.ShowCalls().empty() && !desktop.ShellState().TrayCalls().empty();
            // Stands for anything changed since the start: the exit path writes the record over it.
            desktop.PutValue(u"SOFTWARE\\ZintraMouse", u"MouseData", platform::reg::kBinary, {1, 2, 3});
            ui::HeadlessDriver(dialog, backend).Click(button);
            // Runs once the late answer's handling is over: has the program ended by then?
            desktop.PostMessage(probeWindow, msg::kUser, 0, 0);
            // Without an end the loop would wait on; this lets it return.
            desktop.SetLoopPatience(std::chrono::milliseconds(0));
        });
    }

    // Notes whether the main window had closed when the probe message arrived.
    struct Probe final : platform::MessageHandler {
        explicit Probe(sim::SimDesktop& desktop) : desktop(desktop) {}
        std::optional<std::intptr_t> HandleMessage(platform::NativeWindow, std::uint32_t message, std::uintptr_t,
                                                   std::intptr_t) override {
            if (message == msg::kUser) programEnded = desktop.QuitCode().has_value();
            return 0;
        }
        sim::SimDesktop& desktop;
        std::optional<bool> programEnded;
    };
    Probe probe{desktop};
    platform::NativeWindow probeWindow = desktop.CreateMessageWindow(probe);
    std::size_t StoredSettingsSize() const {
        auto value = desktop.Value(u"SOFTWARE\\ZintraMouse", u"MouseData");
        return value ? value->data.size() : 0;
    }

    bool mainWindowFirst = false;
};

TEST_F(LateUpdateTest, SlowAnswerIsOfferedBesideTheMainWindowAndDeclinedItKeepsRunning) {
    PublishLate(R"({"version": 3, "updateInfo": "notes"})");
    AnswerLate("btnNotUpdate");
    EXPECT_EQ(RunProgram(u"", backend, RunNothing), 0);
    EXPECT_TRUE(offered);
    EXPECT_TRUE(mainWindowFirst) << "the start did not wait for the server";
    EXPECT_EQ(probe.programEnded, false) << "declining an update that is not forced closes nothing";
}

TEST_F(LateUpdateTest, DeclinedForcedUpdateThatAnswersLateEndsTheProgramWithItsSettingsSaved) {
    PublishLate(R"({"version": 3, "forceUpdate": true})");
    AnswerLate("btn_close");
    EXPECT_EQ(RunProgram(u"", backend, RunNothing), 0);
    EXPECT_TRUE(offered);
    EXPECT_TRUE(mainWindowFirst);
    EXPECT_EQ(probe.programEnded, true);
    EXPECT_EQ(StoredSettingsSize(), 424u) << "the main window's own exit saved the record";
    EXPECT_TRUE(desktop.HotkeyRegistrations().empty());
    EXPECT_EQ(desktop.QuitCode(), 0);
}

TEST_F(LateUpdateTest, SilentServerNeitherHoldsTheStartNorOffersAnything) {
    SetFetchAttemptTimeoutForTesting(std::chrono::milliseconds(100));
    ::setenv("ZINTRA_UPDATE_URL", server.SilentUrl("/update/update.json").c_str(), 1);
    desktop.SetLoopPatience(std::chrono::seconds(2));  // the three attempts end within it
    AnswerLate("btnNotUpdate");
    EXPECT_EQ(RunProgram(u"", backend, RunNothing), 0);
    EXPECT_FALSE(offered);
    EXPECT_EQ(MainWindowShows(), std::vector<int>{msg::kSwShowNormal});
    EXPECT_GE(server.Log()["silent_accepts"].asInt(), 3) << "the check went on after the window came up";
}

}  // namespace
}  // namespace zintra
