#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Program.h"
#include "platform/Messages.h"
#include "platform/sim/SimDesktop.h"
#include "tests/unit/support/TestHttpServer.h"
#include "ui/SHostDialog.h"
#include "ui/headless/HeadlessBackend.h"
#include "ui/headless/HeadlessDriver.h"

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
}

TEST_F(ProgramTest, StartShowsTheMainWindowWithItsTrayIconAndEndsCleanly) {
    EXPECT_EQ(RunProgram(u"\"C:\\Program Files\\Zintra\\zintra.exe\"", backend, RunNothing), 0);
    EXPECT_TRUE(desktop.ProcessState().MutexHeld(kSingleInstanceMutex));
    EXPECT_EQ(desktop.ProcessState().CurrentDirectory(), u"C:\\Program Files\\Zintra\\");
    EXPECT_EQ(MainWindowShows(), std::vector<int>{msg::kSwShowNormal});
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
            ui::HeadlessDriver(dialog, backend).Click(button);
        });
    }

    test::TestHttpServer server;
    bool offered = false;
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
    EXPECT_TRUE(desktop.ShellState().TrayCalls().empty()) << "no main window";
    EXPECT_TRUE(desktop.HotkeyRegistrations().empty());
}

TEST_F(UpdateGateTest, InstalledBuildAsNewAsTheDescriptionOffersNothing) {
    Publish(R"({"version": 3, "forceUpdate": 1})");
    desktop.PutValue(u"SOFTWARE\\ZintraMouse", u"Update", platform::reg::kDword, {3, 0, 0, 0});
    Answer("btn_close");
    EXPECT_EQ(RunProgram(u"", backend, RunNothing), 0);
    EXPECT_FALSE(offered);
    EXPECT_FALSE(desktop.ShellState().TrayCalls().empty());
}

}  // namespace
}  // namespace zintra
