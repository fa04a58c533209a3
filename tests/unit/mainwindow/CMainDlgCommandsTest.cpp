// The run commands from the command line (`zintra --toggle`, `--start`,
// `--stop`) as the main window takes them, the one-time notice on binding
// them to a desktop shortcut where the hotkey reaches only our own windows,
// and the keys a desktop that binds the shortcut itself chose.
#include <gtest/gtest.h>

#include "hotkey/ShortcutNotice.h"
#include "tests/unit/mainwindow/MainWindowFixture.h"

namespace zintra::test {
namespace {

class RunCommandTest : public MainWindowTest {
protected:
    // As the instance channel hands a command to the window.
    void Command(std::uintptr_t command) {
        desktop.PostMessage(main->GetHwnd(), msg::kShowMainWindow, command, 0);
        desktop.DispatchPosted();
    }
    std::size_t Balloons() { return desktop.ShellState().Balloons().size(); }
    // How often a tray call put up `text` as its notice, shown in the tray or not
    // (the icon's removal at exit carries its last notice along, not shown).
    int NoticesSaying(const char16_t* text) {
        int count = 0;
        for (const auto& call : desktop.ShellState().TrayCalls()) {
            if (call.action != platform::TrayAction::Delete && (call.data.flags & platform::tray::kInfo) != 0 &&
                std::u16string(call.data.info) == text) {
                ++count;
            }
        }
        return count;
    }
};

TEST_F(RunCommandTest, ToggleIsOneHotkeyPressAndStartOrStopPressOnlyWhenThatChangesSomething) {
    Start();
    Command(msg::kRunStop);
    EXPECT_FALSE(main->Engine().Running());
    EXPECT_EQ(Balloons(), 0u) << "stopping while stopped says nothing";

    Command(msg::kRunToggle);
    EXPECT_TRUE(main->Engine().Running());
    EXPECT_EQ(desktop.ShellState().Balloons(), std::vector<std::u16string>{kRunStartedNotice});
    desktop.AdvanceBy(250);
    Command(msg::kRunStart);
    EXPECT_TRUE(main->Engine().Running());
    EXPECT_EQ(Balloons(), 1u) << "a second start keeps the one run";
    desktop.AdvanceBy(250);
    EXPECT_EQ(desktop.SentEvents().size(), 6u * 3u) << "one run's clicks every 100 ms, not restarted";

    Command(msg::kRunStop);
    EXPECT_FALSE(main->Engine().Running());
    EXPECT_EQ(desktop.ShellState().Balloons().back(), kRunStoppedNotice);
    Command(msg::kRunStop);
    Command(42);  // nothing the channel sends
    EXPECT_EQ(Balloons(), 2u);

    Command(msg::kRunStart);
    EXPECT_TRUE(main->Engine().Running());
    Command(msg::kRunToggle);
    EXPECT_FALSE(main->Engine().Running());
}

TEST_F(RunCommandTest, AStartedRunKeepsItsLimitAndHidesTheWindowAsTheHotkeysDoes) {
    Start();
    main->Settings().useLimitCount = 1;
    main->Settings().limitCount = 3;
    main->Settings().hideMain = 1;
    Command(msg::kRunStart);
    EXPECT_FALSE(main->IsWindowVisible()) << "hidden while clicking";
    desktop.AdvanceBy(1000);
    EXPECT_EQ(desktop.SentEvents().size(), 3u * 3u);
    EXPECT_FALSE(main->Engine().Running());
    EXPECT_TRUE(main->IsWindowVisible()) << "back once the limit ended the run";
    const std::size_t said = Balloons();
    Command(msg::kRunStop);
    EXPECT_EQ(Balloons(), said) << "the limit stopped it already";
}

TEST_F(RunCommandTest, WhileTheSettingsWindowHoldsTheHotkeyACommandGoesWhereAPressWould) {
    Start();
    Command(msg::kRunToggle);
    ASSERT_TRUE(main->Engine().Running());
    bool runningAfterToggle = false, runningAfterStop = false;
    OnNextDialog([&](ui::SHostDialog& dialog, ui::HeadlessDriver&) {
        // The press goes to the count test, which does not start away from its button.
        Command(msg::kRunToggle);
        runningAfterToggle = main->Engine().Running();
        Command(msg::kRunStop);
        runningAfterStop = main->Engine().Running();
        dialog.EndDialog(0);
    });
    driver->Click("btn_Sett");
    EXPECT_TRUE(runningAfterToggle);
    EXPECT_TRUE(runningAfterStop) << "the count test was not running: nothing to stop";
    Command(msg::kRunStop);
    EXPECT_FALSE(main->Engine().Running()) << "the window has the hotkey back";
}

TEST_F(RunCommandTest, WhereTheHotkeyReachesOnlyOurWindowsTheShortcutNoticeShowsOnceEvenWithoutATray) {
    desktop.ShellState().SetHotkeyOnlyInOwnWindows(true);
    desktop.ShellState().RefuseIcons(true);
    ::testing::internal::CaptureStderr();
    Start();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(NoticesSaying(kShortcutNotice), 1);
    EXPECT_NE(errors.find("zintra --toggle"), std::string::npos) << "and in the log";
    const auto stored = desktop.Value(kProgramKey, kShortcutNoticeValue);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, platform::reg::kDword);
    EXPECT_EQ(stored->data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    Restart();
    EXPECT_EQ(NoticesSaying(kShortcutNotice), 1) << "not said again";
}

TEST_F(RunCommandTest, WhereTheHotkeyReachesEveryWindowNothingIsSaidOrStored) {
    Start();
    Restart();
    EXPECT_EQ(NoticesSaying(kShortcutNotice), 0);
    EXPECT_FALSE(desktop.Value(kProgramKey, kShortcutNoticeValue));
}

class DesktopShortcutTest : public RunCommandTest {
protected:
    // A Wayland session whose desktop is asked for the shortcut as the window registers its hotkey.
    void SetUp() override {
        desktop.ShellState().SetHotkeyOnlyInOwnWindows(true);
        desktop.BindDesktopShortcuts(true);
        ::testing::internal::CaptureStderr();
        Start();
    }
    void TearDown() override { ::testing::internal::GetCapturedStderr(); }
    void Settle(ui::DesktopShortcut::State state, std::u16string otherKeys = {}) {
        desktop.SettleDesktopShortcuts({state, std::move(otherKeys)});
        desktop.DispatchPosted();
    }
    bool NoticeStored() { return desktop.Value(kProgramKey, kShortcutNoticeValue).has_value(); }
    ui::SWindow& DesktopKeys() { return *main->FindChildByName("txt_desktopkeys"); }
};

TEST_F(DesktopShortcutTest, WhileTheDesktopIsAskedNothingIsSaidAndABoundShortcutNeedsNoNotice) {
    EXPECT_EQ(NoticesSaying(kShortcutNotice), 0) << "the desktop may yet bind it";
    Settle(ui::DesktopShortcut::State::Bound);
    EXPECT_EQ(NoticesSaying(kShortcutNotice), 0);
    EXPECT_FALSE(NoticeStored()) << "kept for a desktop that does not bind it";
    EXPECT_FALSE(DesktopKeys().IsVisible()) << "the hotkey's own keys: nothing to add";
    Restart();
    Settle(ui::DesktopShortcut::State::NotBound);
    EXPECT_EQ(NoticesSaying(kShortcutNotice), 1) << "refused this time: told after all";
    EXPECT_TRUE(NoticeStored());
}

TEST_F(DesktopShortcutTest, TheDesktopsOtherKeysAreSaidAndShownBesideTheHotkeyUntilItChanges) {
    Settle(ui::DesktopShortcut::State::Bound, u"Ctrl+Alt+K");
    EXPECT_EQ(NoticesSaying(u"桌面为开始/停止连点设定的快捷键是：Ctrl+Alt+K"), 1);
    EXPECT_TRUE(DesktopKeys().IsVisible());
    EXPECT_EQ(DesktopKeys().GetWindowText(), u"桌面设定的快捷键：Ctrl+Alt+K");
    EXPECT_EQ(main->FindChildByName("txt_hotkey")->GetWindowText(), u"F8") << "the user's own keys stay";
    EXPECT_FALSE(NoticeStored());
    // Another hotkey is asked for anew: the old keys go until the desktop answers.
    List("cbx_hotkey").SetCurSel(4);
    EXPECT_FALSE(DesktopKeys().IsVisible());
    Settle(ui::DesktopShortcut::State::NotBound);
    EXPECT_FALSE(DesktopKeys().IsVisible());
    EXPECT_EQ(NoticesSaying(kShortcutNotice), 1) << "the new keys are not bound: how to bind the command";
}

TEST_F(DesktopShortcutTest, ADesktopThatNeverAnswersDoesNotSwallowTheStartNotices) {
    desktop.SetInputProblem("无法点击");
    Restart();
    EXPECT_EQ(NoticesSaying(u"无法点击"), 0) << "waiting for the desktop's answer";
    desktop.AdvanceBy(15000);
    desktop.DispatchPosted();
    EXPECT_EQ(NoticesSaying(u"无法点击"), 1);
    EXPECT_EQ(NoticesSaying(kShortcutNotice), 0) << "the desktop may still bind it";
    Settle(ui::DesktopShortcut::State::NotBound);
    EXPECT_EQ(NoticesSaying(kShortcutNotice), 1) << "a late refusal is still said";
    EXPECT_EQ(NoticesSaying(u"无法点击"), 1) << "said once";
}

TEST_F(DesktopShortcutTest, ClicksThatCannotReachTheDesktopAreSaidBeforeTheDesktopsKeys) {
    desktop.SetInputProblem("无法点击");
    Restart();
    Settle(ui::DesktopShortcut::State::Bound, u"Ctrl+Alt+K");
    EXPECT_EQ(NoticesSaying(u"无法点击"), 1);
    EXPECT_EQ(NoticesSaying(u"桌面为开始/停止连点设定的快捷键是：Ctrl+Alt+K"), 0);
    EXPECT_TRUE(DesktopKeys().IsVisible()) << "the keys stay in sight";
}

TEST_F(RunCommandTest, AStoreThatCannotRememberTheNoticeKeepsItsOwnNoticeFirst) {
    desktop.ShellState().SetHotkeyOnlyInOwnWindows(true);
    desktop.FailKey(kProgramKey);
    ::testing::internal::CaptureStderr();
    Start();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(NoticesSaying(CMainDlg::kStoreUnavailableNotice), 1);
    EXPECT_EQ(NoticesSaying(kShortcutNotice), 0);
}

}  // namespace
}  // namespace zintra::test
