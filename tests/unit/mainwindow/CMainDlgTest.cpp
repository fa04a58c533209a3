#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/unit/mainwindow/MainWindowFixture.h"
#include "ui/controls/SRadioBox.h"
#include "base/TextUtil.h"

namespace zintra::test {
namespace {

constexpr std::uint32_t kVkF5 = 0x74, kVkF8 = 0x77;

// Layouts and menus made up by a test, beside the program's own resources.
class MemoryPackage final : public ui::ResourcePackage {
public:
    explicit MemoryPackage(std::map<std::string, std::string> entries) : entries_(std::move(entries)) {}
    using ui::ResourcePackage::Load;
    std::optional<std::string> Load(std::string_view type, std::string_view name) const override {
        auto it = entries_.find(AsciiUpper(std::string(type) + ":" + std::string(name)));
        if (it == entries_.end()) return std::nullopt;
        return it->second;
    }

private:
    std::map<std::string, std::string> entries_;
};

TEST_F(MainWindowTest, FirstStartShowsTheDefaults) {
    Start();
    ASSERT_TRUE(desktop.HotkeyFor(main->GetHwnd(), 1224));
    EXPECT_EQ(desktop.HotkeyFor(main->GetHwnd(), 1224)->virtualKey, kVkF8);
    EXPECT_EQ(desktop.HotkeyFor(main->GetHwnd(), 1224)->modifiers, 0u);
    EXPECT_EQ(Text("txt_hotkey"), u"F8");
    EXPECT_EQ(List("cbx_hotkey").GetCurSel(), 7);
    EXPECT_EQ(main->Settings().HotkeyText(), u"F8") << "the empty label of a fresh record becomes the entry's";
    EXPECT_EQ(List("cbx_Time").GetLBText(List("cbx_Time").GetCurSel()), u"0.1");
    EXPECT_EQ(Text("txt_mousetype"), u"启动和停止的热键") << "the layout's text until a radio is pressed";
    EXPECT_TRUE(driver->State("type_left")->checked);
    EXPECT_TRUE(log.empty()) << log.front();
}

TEST_F(MainWindowTest, StoredSettingsDriveTheHotkeyAndTheClicks) {
    std::vector<std::uint8_t> data(24, 0);
    data[8] = 1;       // right click
    data[16] = 0x74;   // F5
    const float interval = 0.2f;
    std::memcpy(&data[12], &interval, 4);
    desktop.PutValue(kProgramKey, u"MouseData", platform::reg::kBinary, data);
    Start();
    EXPECT_FALSE(desktop.PressHotKey(0, kVkF8));
    ASSERT_TRUE(desktop.PressHotKey(0, kVkF5));
    desktop.AdvanceBy(1000);
    EXPECT_EQ(desktop.SentEvents().size(), 6u * 3u);
    EXPECT_EQ(desktop.SentEvents()[1].flags, msg::kMouseEventRightDown);
    EXPECT_EQ(List("cbx_Time").GetLBText(List("cbx_Time").GetCurSel()), u"0.2");
    EXPECT_EQ(Text("txt_hotkey"), u"F5");
}

TEST_F(MainWindowTest, RightClickRadioThenHotkeySendsRightClicks) {
    Start();
    ASSERT_TRUE(driver->Click("type_right"));
    EXPECT_EQ(main->Settings().clickType, kClickRight);
    EXPECT_EQ(Text("txt_mousetype"), u"开始右键连点");
    EXPECT_FALSE(driver->State("type_left")->checked);
    ASSERT_TRUE(PressHotkey());
    desktop.AdvanceBy(250);
    ASSERT_EQ(desktop.SentEvents().size(), 9u);
    EXPECT_EQ(desktop.SentEvents()[1].flags, msg::kMouseEventRightDown);
    EXPECT_EQ(desktop.ShellState().Balloons(), std::vector<std::u16string>{u"鼠标连点器已经开始"});
    ASSERT_TRUE(PressHotkey());
    EXPECT_EQ(desktop.ShellState().Balloons().back(), u"鼠标连点器已经停止");
}

TEST_F(MainWindowTest, LongPressGreysTheIntervalList) {
    Start();
    driver->Click("type_leftdown");
    EXPECT_EQ(main->Settings().clickType, kClickLeftLongPress);
    EXPECT_FALSE(driver->State("cbx_Time")->enabled);
    EXPECT_EQ(Text("txt_mousetype"), u"开始左键长按");
    driver->Click("type_left");
    EXPECT_TRUE(driver->State("cbx_Time")->enabled);
    EXPECT_EQ(Text("txt_mousetype"), u"开始左键连点");
}

TEST_F(MainWindowTest, StoredClickTypeChecksItsRadioWithoutTouchingTheCaption) {
    std::vector<std::uint8_t> data(12, 0);
    data[8] = 2;
    desktop.PutValue(kProgramKey, u"MouseData", platform::reg::kBinary, data);
    Start();
    EXPECT_TRUE(driver->State("type_leftdown")->checked);
    EXPECT_FALSE(driver->State("cbx_Time")->enabled);
    EXPECT_EQ(Text("txt_mousetype"), u"启动和停止的热键");
}

TEST_F(MainWindowTest, ChoosingAPresetStoresItsSingleValue) {
    Start();
    ASSERT_TRUE(driver->SelectListEntry("cbx_Time", 5));
    EXPECT_EQ(main->Settings().interval, 0.6f);
    ASSERT_TRUE(driver->SelectListEntry("cbx_Time", 0));
    EXPECT_EQ(main->Settings().interval, 0.01f);
}

TEST_F(MainWindowTest, CustomIntervalsGetTheirOwnEntryBeforeCustom) {
    Start();
    auto type = [this](const char16_t* seconds) {
        OnNextDialog([seconds](ui::SHostDialog&, ui::HeadlessDriver& dialog) {
            dialog.Click("edt_customtime");
            dialog.TypeText(seconds);
            dialog.Click("btn_sure");
        });
        ASSERT_TRUE(driver->SelectListEntry("cbx_Time", List("cbx_Time").GetCount() - 1));
    };
    type(u"0.35");
    EXPECT_EQ(main->Settings().interval, 0.35f);
    EXPECT_EQ(Entries("cbx_Time").size(), 11u);
    EXPECT_EQ(List("cbx_Time").GetLBText(9), u"0.35");
    EXPECT_EQ(List("cbx_Time").GetItemData(9), 10);
    EXPECT_EQ(List("cbx_Time").GetCurSel(), 9);
    EXPECT_EQ(List("cbx_Time").GetLBText(10), u"自定义");

    type(u"1.5");
    EXPECT_EQ(Entries("cbx_Time").size(), 11u) << "the earlier custom entry is replaced";
    EXPECT_EQ(List("cbx_Time").GetLBText(9), u"1.50");
    EXPECT_EQ(main->Settings().interval, 1.5f);

    type(u"2.0");
    EXPECT_EQ(List("cbx_Time").GetLBText(List("cbx_Time").GetCurSel()), u"2");
    EXPECT_EQ(Entries("cbx_Time").size(), 11u) << "a preset adds nothing";

    type(u"0.126");
    EXPECT_EQ(List("cbx_Time").GetLBText(9), u"0.13");
    EXPECT_EQ(main->Settings().interval, 0.13f) << "the entry's two-decimal value is applied";

    type(u"1e-1");
    EXPECT_EQ(List("cbx_Time").GetLBText(List("cbx_Time").GetCurSel()), u"0.1");
}

TEST_F(MainWindowTest, ZeroIntervalIsShownButNeverApplied) {
    Start();
    OnNextDialog([](ui::SHostDialog&, ui::HeadlessDriver& dialog) { dialog.Click("btn_sure"); });
    driver->SelectListEntry("cbx_Time", 9);
    EXPECT_EQ(main->Settings().interval, 0.0f) << "an empty text confirms 0";
    EXPECT_EQ(List("cbx_Time").GetLBText(9), u"0.00");
    EXPECT_EQ(List("cbx_Time").GetCurSel(), 9);
}

TEST_F(MainWindowTest, CancelledCustomIntervalReselectsTheIntervalInForce) {
    Start();
    driver->SelectListEntry("cbx_Time", 6);
    OnNextDialog([](ui::SHostDialog&, ui::HeadlessDriver& dialog) {
        dialog.Click("edt_customtime");
        dialog.TypeText(u"9");
        dialog.Click("btn_cancel");
    });
    driver->SelectListEntry("cbx_Time", 9);
    EXPECT_EQ(main->Settings().interval, 1.0f);
    EXPECT_EQ(List("cbx_Time").GetLBText(List("cbx_Time").GetCurSel()), u"1");
}

TEST_F(MainWindowTest, CustomHotkeyIsRegisteredAtOnceAndAfterARestart) {
    Start();
    OnNextDialog([](ui::SHostDialog&, ui::HeadlessDriver& dialog) {
        dialog.KeyDown(0x11);
        dialog.KeyDown(0x10);
        dialog.KeyDown('A');
        dialog.KeyUp('A');
        dialog.KeyUp(0x10);
        dialog.KeyUp(0x11);
        dialog.Click("btn_sure");
    });
    driver->SelectListEntry("cbx_hotkey", 12);
    EXPECT_EQ(Text("txt_hotkey"), u"Ctrl+Shift+A");
    auto registered = desktop.HotkeyFor(main->GetHwnd(), 1224);
    ASSERT_TRUE(registered);
    EXPECT_EQ(registered->virtualKey, 0x41u);
    EXPECT_EQ(registered->modifiers, 6u);
    EXPECT_FALSE(desktop.PressHotKey(0, kVkF8)) << "F8 no longer starts anything";

    Restart();
    EXPECT_EQ(List("cbx_hotkey").GetCurSel(), -1) << "a key with modifiers selects no entry";
    EXPECT_EQ(Text("txt_hotkey"), u"Ctrl+Shift+A");
    EXPECT_TRUE(desktop.PressHotKey(6, 0x41));
    EXPECT_TRUE(main->Engine().Running());

    driver->SelectListEntry("cbx_hotkey", 4);
    EXPECT_EQ(desktop.HotkeyFor(main->GetHwnd(), 1224)->virtualKey, kVkF5);
    EXPECT_EQ(desktop.HotkeyFor(main->GetHwnd(), 1224)->modifiers, 0u);
    EXPECT_EQ(main->Settings().HotkeyText(), u"F5");
}

TEST_F(MainWindowTest, CancelledCustomHotkeyKeepsTheOldOne) {
    Start();
    OnNextDialog([](ui::SHostDialog&, ui::HeadlessDriver& dialog) {
        dialog.PressKey('Q');
        dialog.Click("btn_cancel");
    });
    driver->SelectListEntry("cbx_hotkey", 12);
    EXPECT_EQ(Text("txt_hotkey"), u"F8");
    EXPECT_EQ(desktop.HotkeyFor(main->GetHwnd(), 1224)->virtualKey, kVkF8);
    EXPECT_EQ(main->Settings().hotkeyVk, kVkF8);
    EXPECT_EQ(List("cbx_hotkey").GetLBText(List("cbx_hotkey").GetCurSel()), u"自定义");
}

TEST_F(MainWindowTest, HotkeyDialogTakesEnterAsAKeyAndStartsEmptyEachTime) {
    Start();
    std::u16string labelAtOpening;
    OnNextDialog([&](ui::SHostDialog& dialog, ui::HeadlessDriver& keys) {
        labelAtOpening = dialog.FindChildByName("ctrl_hk1")->GetWindowText();
        keys.PressKey(0x0D);
        EXPECT_FALSE(dialog.IsEnded()) << "Enter does not confirm";
        keys.Click("btn_sure");
    });
    driver->SelectListEntry("cbx_hotkey", 12);
    EXPECT_EQ(labelAtOpening, u"无");
    EXPECT_EQ(Text("txt_hotkey"), u"Enter");
    EXPECT_EQ(main->Settings().hotkeyVk, 13u);
}

TEST_F(MainWindowTest, CloseButtonEndsTheProgramWhenThereIsNoNotificationArea) {
    desktop.ShellState().RefuseIcons(true);
    Start();
    ASSERT_TRUE(StoredRecord().empty());
    driver->Click("btn_close");
    EXPECT_EQ(main->GetHwnd(), 0u) << "with nowhere to hide, the window ends rather than vanish";
    EXPECT_FALSE(StoredRecord().empty()) << "and the settings are saved as on exit";
}

// Started hidden (-auto) as the program's start does it.
class HiddenStartTest : public MainWindowTest {
protected:
    void StartHidden(bool linuxShell, bool trayShown) {
        desktop.ShellState().SetKeepsWindowWithoutTray(linuxShell);
        desktop.ShellState().RefuseIcons(!trayShown);
        main = std::make_unique<CMainDlg>();
        ASSERT_NE(main->Create(), 0u);
        main->SendMessage(msg::kInitDialog, 0, 0);
        main->ShowWindow(msg::kSwHide);
        main->EnterTray();
        main->Settings().hideMain = 1;  // "hide while clicking"
    }
    int LastShow() { return desktop.Window(main->GetHwnd())->lastShowCommand; }
};

TEST_F(HiddenStartTest, WithoutAnyTrayOnLinuxTheWindowShowsMinimisedAndStaysWhileClicking) {
    StartHidden(true, false);
    EXPECT_TRUE(main->IsWindowVisible()) << "nothing else could bring it back";
    EXPECT_EQ(LastShow(), msg::kSwShowMinimized);
    ASSERT_TRUE(PressHotkey());
    desktop.AdvanceBy(250);
    EXPECT_GE(desktop.SentEvents().size(), 3u) << "clicking";
    EXPECT_TRUE(main->IsWindowVisible()) << "not hidden while clicking";
    ASSERT_TRUE(PressHotkey());
    EXPECT_TRUE(main->IsWindowVisible());
}

TEST_F(HiddenStartTest, WithATrayIconTheWindowStaysHiddenAndHidesWhileClicking) {
    StartHidden(true, true);
    EXPECT_FALSE(main->IsWindowVisible());
    main->ShowWindow(msg::kSwShow);
    ASSERT_TRUE(PressHotkey());
    EXPECT_FALSE(main->IsWindowVisible()) << "the icon brings it back";
    ASSERT_TRUE(PressHotkey());
}

TEST_F(HiddenStartTest, OnWindowsTheHiddenStartStaysHiddenEvenWithoutAnIcon) {
    StartHidden(false, false);
    EXPECT_FALSE(main->IsWindowVisible());
    EXPECT_EQ(LastShow(), msg::kSwHide);
    main->ShowWindow(msg::kSwShow);
    ASSERT_TRUE(PressHotkey());
    EXPECT_FALSE(main->IsWindowVisible());
    ASSERT_TRUE(PressHotkey());
}

TEST_F(MainWindowTest, ASecondStartsRequestShowsTheWindowAboveTheOthers) {
    Start();
    driver->Click("btn_close");
    ASSERT_FALSE(main->IsWindowVisible());
    const std::uint64_t raisedBefore = desktop.Window(main->GetHwnd())->raisedAt;
    desktop.PostMessage(main->GetHwnd(), msg::kShowMainWindow, 0, 0);
    desktop.DispatchPosted();
    EXPECT_TRUE(main->IsWindowVisible());
    EXPECT_GT(desktop.Window(main->GetHwnd())->raisedAt, raisedBefore) << "stacked on top";
}

TEST_F(MainWindowTest, CloseButtonHidesAndTrayMenuShowsAgain) {
    Start();
    driver->Click("btn_close");
    EXPECT_FALSE(main->IsWindowVisible());
    EXPECT_TRUE(main->GetHwnd() != 0) << "the program keeps running";
    backend.SetNextMenuChoice(5);
    desktop.SendMessage(TrayWindow(), msg::kTrayNotify, 100, msg::kRButtonDown);
    desktop.DispatchPosted();
    EXPECT_TRUE(main->IsWindowVisible());
    ASSERT_EQ(backend.ShownMenus().size(), 1u);
    ASSERT_EQ(backend.ShownMenus()[0].menu.items.size(), 2u);
    EXPECT_EQ(backend.ShownMenus()[0].menu.items[0].text, u"显示主界面");
}

TEST_F(MainWindowTest, TrayLeftClickTogglesTheWindowAndDoubleClickDoesNothing) {
    Start();
    desktop.SendMessage(TrayWindow(), msg::kTrayNotify, 100, msg::kLButtonDown);
    EXPECT_FALSE(main->IsWindowVisible());
    EXPECT_EQ(desktop.SendMessage(TrayWindow(), msg::kTrayNotify, 100, msg::kLButtonDblClk), 1);
    EXPECT_FALSE(main->IsWindowVisible());
    desktop.SendMessage(TrayWindow(), msg::kTrayNotify, 100, msg::kLButtonDown);
    EXPECT_TRUE(main->IsWindowVisible());
    EXPECT_EQ(desktop.ShellState().ForegroundWindow(), main->GetHwnd());
}

TEST_F(MainWindowTest, ExitFromTheTrayMenuSavesTheRecordAndRemovesTheIcon) {
    Start();
    driver->Click("type_right");
    backend.SetNextMenuChoice(6);
    desktop.SendMessage(TrayWindow(), msg::kTrayNotify, 100, msg::kRButtonDown);
    desktop.DispatchPosted();
    EXPECT_EQ(main->GetHwnd(), 0u) << "the main window is gone";
    EXPECT_FALSE(desktop.ShellState().ShownIcon());
    EXPECT_TRUE(desktop.HotkeyRegistrations().empty());
    const auto stored = desktop.Value(kProgramKey, u"MouseData");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, platform::reg::kBinary);
    EXPECT_EQ(stored->data.size(), 424u);
    EXPECT_EQ(stored->data[8], 1) << "the right click was kept";
}

TEST_F(MainWindowTest, SystemCloseSavesAndAForcedEndDoesNot) {
    Start();
    driver->Click("type_right");
    Restart();
    EXPECT_TRUE(driver->State("type_right")->checked);
    driver->Click("type_left");
    main.reset();  // the process ends without its exit sequence
    desktop.DispatchPosted();
    Start();
    EXPECT_TRUE(driver->State("type_right")->checked);
}

TEST_F(MainWindowTest, TaskbarRestartBringsTheIconBack) {
    Start();
    desktop.ShellState().RestartTaskbar();
    const platform::NativeWindow tray = desktop.ShellState().TrayCalls().front().data.window;
    desktop.SendMessage(tray, desktop.GetShell().RegisterWindowMessage(u"TaskbarCreated"), 0, 0);
    ASSERT_TRUE(desktop.ShellState().ShownIcon());
    EXPECT_EQ(desktop.ShellState().ShownIcon()->id, 100u);
}

TEST_F(MainWindowTest, WebLinksAndOtherButtons) {
    Start();
    driver->Click("logo_url");
    driver->Click("url");
    ASSERT_EQ(desktop.ShellState().OpenedUrls().size(), 2u);
    const std::u16string search = desktop.ShellState().OpenedUrls()[0];
    EXPECT_NE(search.find(u"/s?wd=Zintra%E9%BC%A0%E6%A0%87%E7%82%B9%E5%87%BB%E5%99%A8"), std::u16string::npos);
    EXPECT_EQ(desktop.ShellState().OpenedUrls()[1], CMainDlg::SiteAddress());
    EXPECT_EQ(main->SendMessage(1624, 0, 0), 0);
    EXPECT_TRUE(desktop.ShellState().Balloons().empty() ||
                desktop.ShellState().Balloons().back() != CMainDlg::kNoBrowserNotice);
    // Without any browser the click is answered with a notice.
    desktop.ShellState().SetOpenerMissing(true);
    driver->Click("url");
    ASSERT_FALSE(desktop.ShellState().Balloons().empty());
    EXPECT_EQ(desktop.ShellState().Balloons().back(), CMainDlg::kNoBrowserNotice);
}

TEST_F(MainWindowTest, SettingsWindowTakesTheHotkeyWhileOpenAndGivesBackTheNewOne) {
    Start();
    ASSERT_TRUE(PressHotkey());  // a run in progress goes on meanwhile
    bool hotkeyOnMainWhileOpen = true;
    bool hotkeyOnSettingsWhileOpen = false;
    OnNextDialog([&](ui::SHostDialog& dialog, ui::HeadlessDriver& user) {
        hotkeyOnMainWhileOpen = desktop.HotkeyFor(main->GetHwnd(), 1224).has_value();
        hotkeyOnSettingsWhileOpen = desktop.HotkeyFor(dialog.GetHwnd(), 1224).has_value();
        desktop.AdvanceBy(300);
        main->Settings().hotkeyVk = kVkF5;  // as if changed meanwhile
        user.Click("useLimitCount");
        user.Click("btn_sure");
    });
    const auto clicksBefore = desktop.SentEvents().size();
    driver->Click("btn_Sett");
    EXPECT_FALSE(hotkeyOnMainWhileOpen);
    EXPECT_TRUE(hotkeyOnSettingsWhileOpen);
    EXPECT_GT(desktop.SentEvents().size(), clicksBefore) << "clicking went on while the window was open";
    EXPECT_EQ(desktop.HotkeyFor(main->GetHwnd(), 1224)->virtualKey, kVkF5);
    EXPECT_EQ(main->Settings().useLimitCount, 1);
    ASSERT_EQ(StoredRecord().size(), 424u) << "confirming wrote the record";
    EXPECT_EQ(StoredRecord()[2], 1);
}

TEST_F(MainWindowTest, UnavailableStoreRunsOnTheDefaultsWithTheHotkeyAndSaysSoOnce) {
    // A folder that is read-only or full: the key can be neither opened nor created.
    desktop.FailKey(kProgramKey);
    ::testing::internal::CaptureStderr();
    Start();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(desktop.HotkeyFor(main->GetHwnd(), 1224)) << "the hotkey is registered";
    EXPECT_EQ(desktop.HotkeyFor(main->GetHwnd(), 1224)->virtualKey, kVkF8);
    EXPECT_EQ(Text("txt_hotkey"), u"F8");
    EXPECT_EQ(Entries("cbx_hotkey")[static_cast<std::size_t>(List("cbx_hotkey").GetCurSel())], u"F8");
    EXPECT_EQ(List("cbx_Time").GetItemData(List("cbx_Time").GetCurSel()), 4) << "0.1 s";
    ASSERT_TRUE(PressHotkey());
    desktop.AdvanceBy(250);
    EXPECT_EQ(desktop.SentEvents().size(), 9u) << "left clicks at once, then every 100 ms";

    EXPECT_EQ(errors, "zintra: the settings cannot be stored; running on the defaults\n");
    int notices = 0;
    for (const auto& call : desktop.ShellState().TrayCalls()) {
        if (std::u16string(call.data.info) == CMainDlg::kStoreUnavailableNotice) ++notices;
    }
    EXPECT_EQ(notices, 1) << "one notice in the notification area";
}

TEST_F(MainWindowTest, InputThatCannotReachTheDesktopIsSaidOnceAtStartAndAtEachRefusedStart) {
    desktop.SetInputProblem("无法点击");
    desktop.SetRunReadiness(false);
    ::testing::internal::CaptureStderr();
    Start();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "zintra: 无法点击\n");
    ASSERT_FALSE(desktop.ShellState().Balloons().empty());
    EXPECT_EQ(desktop.ShellState().Balloons().back(), u"无法点击");
    const std::size_t balloons = desktop.ShellState().Balloons().size();

    main->ShowWindow(msg::kSwHide);
    ASSERT_TRUE(PressHotkey());
    desktop.AdvanceBy(500);
    EXPECT_TRUE(desktop.SentEvents().empty());
    EXPECT_TRUE(main->IsWindowVisible()) << "shown again to say why";
    EXPECT_EQ(desktop.ShellState().Balloons().size(), balloons + 1);
    EXPECT_EQ(desktop.ShellState().Balloons().back(), u"无法点击");
}

TEST_F(MainWindowTest, ClicksGoOnWhileADialogIsOpen) {
    Start();
    ASSERT_TRUE(PressHotkey());
    std::size_t during = 0;
    OnNextDialog([&](ui::SHostDialog& dialog, ui::HeadlessDriver&) {
        desktop.AdvanceBy(500);
        during = desktop.SentEvents().size() / 3;
        dialog.EndDialog(0);
    });
    driver->SelectListEntry("cbx_Time", 9);
    EXPECT_GE(during, 6u);
}

TEST_F(MainWindowTest, MinimiseButtonMinimisesAndTheProgramGoesOn) {
    Start();
    driver->Click("btn_min");
    ASSERT_NE(desktop.Window(main->GetHwnd()), nullptr);
    EXPECT_EQ(desktop.Window(main->GetHwnd())->lastShowCommand, msg::kSwMinimize);
    EXPECT_TRUE(PressHotkey()) << "the hotkey stays registered";
}

TEST_F(MainWindowTest, CommandsWithANonZeroHighWordAreNotTrayCommands) {
    Start();
    driver->Click("btn_close");
    ASSERT_FALSE(main->IsWindowVisible());
    // Control notifications carry a code in the high word; ids 5 and 6 there are no menu choice.
    main->SendMessage(msg::kCommand, (1u << 16) | 5, 0);
    EXPECT_FALSE(main->IsWindowVisible());
    main->SendMessage(msg::kCommand, (1u << 16) | 6, 0);
    desktop.DispatchPosted();
    ASSERT_NE(main->GetHwnd(), 0u) << "the program did not end";
    EXPECT_FALSE(desktop.HotkeyRegistrations().empty());
    main->SendMessage(msg::kCommand, 5, 0);
    EXPECT_TRUE(main->IsWindowVisible());
}

class TrayIconTest : public MainWindowTest {
protected:
    TrayIconTest() {
        const auto layout = [](const std::string& attributes) {
            return "<ZUI width='100' height='50'><root><shellnotifyicon name='tray' pos='0,0,0,0' " + attributes +
                   "/></root></ZUI>";
        };
        std::string ten16;
        for (int i = 0; i < 10; ++i) ten16 += "ICON_LOGO:16;";
        application->AddResProvider(std::make_unique<MemoryPackage>(std::map<std::string, std::string>{
            {"LAYOUT:TWO_ICONS", layout("ico='ICON_LOGO:16;ICON_LOGO:32' deficoidx='1' tip='two'")},
            {"LAYOUT:HEX_INDEX", layout("ico='ICON_LOGO:16;ICON_LOGO:32' deficoidx='0x1'")},
            {"LAYOUT:INDEX_TOO_BIG", layout("ico='ICON_LOGO:32;ICON_LOGO:16' deficoidx='7'")},
            {"LAYOUT:INDEX_JUST_PAST", layout("ico='ICON_LOGO:32;ICON_LOGO:16' deficoidx='2'")},
            {"LAYOUT:HEX_INDEX_TEN", layout("ico='" + ten16 + "ICON_LOGO:32' deficoidx='0xA'")},
            {"LAYOUT:NO_ICONS", layout("tip='plain'")},
            {"LAYOUT:UNKNOWN_ICONS", layout("ico='ICON_NOTHING:16'")},
            {"LAYOUT:CLASSIC_MENU", layout("menu='SMENU:menu_tray'")},
            {"LAYOUT:EXTENDED_MENU", layout("menu='SMENU:extended'")},
            {"LAYOUT:ITEM_MENU", layout("menu='SMENU:item'")},
            {"LAYOUT:NOT_A_MENU", layout("menu='LAYOUT:XML_MAINWND'")},
            {"LAYOUT:MISSING_MENU", layout("menu='SMENU:nothing'")},
            {"SMENU:EXTENDED", "<menuRoot><menuItem id='5'/></menuRoot>"},
            {"SMENU:ITEM", "<menuItem id='5'/>"},
            {"LAYOUT:FULL_EXTENDED_MENU", layout("menu='SMENU:full_extended'")},
            {"SMENU:FULL_EXTENDED", "<menuRoot iconSkin='skin_traymenu_icons' itemHeight='30'>"
                                    "<menuItem id='5' icon='0'>显示主界面</menuItem><sep/>"
                                    "<menuItem id='6' text='退出' icon='1'/></menuRoot>"},
        }));
    }
    // Builds `layout` and puts its icon into the notification area.
    static SShellNotifyIcon* CreateInTray(ui::SHostWnd& host) {
        if (host.Create() == 0) return nullptr;
        auto* icon = host.FindChildByName2<SShellNotifyIcon>("tray");
        if (icon != nullptr) icon->AddTrayIcon();
        return icon;
    }
    // The size of the icon the notification area was given when `layout` came up.
    int ShownIconSize(const char* layout) {
        ui::SHostWnd host(layout);
        if (CreateInTray(host) == nullptr) return -2;
        const auto& calls = desktop.ShellState().TrayCalls();
        if (calls.empty() || calls.back().action != platform::TrayAction::Add) return -3;
        return calls.back().data.icon == 0 ? 0 : backend.LoadedIconSize(calls.back().data.icon);
    }
    std::optional<SShellNotifyIcon::MenuKind> MenuKindOf(const char* layout) {
        ui::SHostWnd host(layout);
        if (host.Create() == 0) return std::nullopt;
        auto* icon = host.FindChildByName2<SShellNotifyIcon>("tray");
        if (icon == nullptr) return std::nullopt;
        return icon->GetMenuKind();
    }
};

TEST_F(TrayIconTest, DefaultIconIndexPicksAmongTheIconsAndFallsBackToTheFirstAndTheLogo) {
    EXPECT_EQ(ShownIconSize("LAYOUT:TWO_ICONS"), 32);
    EXPECT_EQ(ShownIconSize("LAYOUT:HEX_INDEX"), 32);
    EXPECT_EQ(ShownIconSize("LAYOUT:HEX_INDEX_TEN"), 32) << "0xA is the eleventh icon";
    EXPECT_EQ(ShownIconSize("LAYOUT:INDEX_TOO_BIG"), 32) << "an index past the list takes the first icon";
    EXPECT_EQ(ShownIconSize("LAYOUT:INDEX_JUST_PAST"), 32);
    EXPECT_EQ(ShownIconSize("LAYOUT:NO_ICONS"), 16) << "no icons of its own: the program's logo";
    EXPECT_EQ(ShownIconSize("LAYOUT:UNKNOWN_ICONS"), 16);
}

TEST_F(TrayIconTest, TipChangedWhileShownReplacesTheTipAndNoBalloonComesBack) {
    ui::SHostWnd host("LAYOUT:TWO_ICONS");
    auto* icon = CreateInTray(host);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(std::u16string(desktop.ShellState().TrayCalls().back().data.tip), u"two");
    icon->ShowBalloon(u"开始点击", u"");
    icon->SetAttribute("tip", "新的提示");
    const auto& last = desktop.ShellState().TrayCalls().back();
    EXPECT_EQ(last.action, platform::TrayAction::Modify);
    EXPECT_EQ(std::u16string(last.data.tip), u"新的提示");
    EXPECT_TRUE(last.data.flags & platform::tray::kTip);
    EXPECT_FALSE(last.data.flags & platform::tray::kInfo) << "the balloon is not shown a second time";

    const auto calls = desktop.ShellState().TrayCalls().size();
    icon->SetAttribute("tip", "");
    EXPECT_EQ(desktop.ShellState().TrayCalls().size(), calls) << "an empty tip changes nothing";
    EXPECT_EQ(std::u16string(icon->Record().tip), u"新的提示");
}

TEST_F(TrayIconTest, MenuKindFollowsTheMenuDocumentsRoot) {
    EXPECT_EQ(MenuKindOf("LAYOUT:CLASSIC_MENU"), SShellNotifyIcon::kClassicMenu);
    EXPECT_EQ(MenuKindOf("LAYOUT:EXTENDED_MENU"), SShellNotifyIcon::kExtendedMenu);
    EXPECT_EQ(MenuKindOf("LAYOUT:ITEM_MENU"), SShellNotifyIcon::kExtendedMenu);
    EXPECT_EQ(MenuKindOf("LAYOUT:NOT_A_MENU"), SShellNotifyIcon::kNoMenu);
    EXPECT_EQ(MenuKindOf("LAYOUT:MISSING_MENU"), SShellNotifyIcon::kNoMenu);
    EXPECT_EQ(MenuKindOf("LAYOUT:NO_ICONS"), SShellNotifyIcon::kNoMenu);
}

TEST_F(TrayIconTest, PanelsThatDrawTheMenuGetTheSameEntriesAndCommands) {
    Start();
    const auto& entries = desktop.ShellState().TrayMenu();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ((std::pair{entries[0].command, entries[0].text}), (std::pair{5, std::u16string(u"显示主界面")}));
    EXPECT_EQ((std::pair{entries[1].command, entries[1].text}), (std::pair{6, std::u16string(u"退出")}));
    EXPECT_TRUE(entries[0].enabled && !entries[0].separator && entries[0].children.empty());

    ui::SHostWnd host("LAYOUT:FULL_EXTENDED_MENU");
    ASSERT_NE(CreateInTray(host), nullptr);
    const auto& extended = desktop.ShellState().TrayMenu();
    ASSERT_EQ(extended.size(), 3u);
    EXPECT_TRUE(extended[1].separator);
    EXPECT_EQ((std::pair{extended[2].command, extended[2].text}), (std::pair{6, std::u16string(u"退出")}));

    ui::SHostWnd plain("LAYOUT:NO_ICONS");
    ASSERT_NE(CreateInTray(plain), nullptr);
    EXPECT_TRUE(desktop.ShellState().TrayMenu().empty()) << "no menu document, no menu";
}

TEST_F(TrayIconTest, RightClickShowsAClassicMenuAndNothingWithoutOne) {
    for (const char* layout : {"LAYOUT:CLASSIC_MENU", "LAYOUT:NOT_A_MENU"}) {
        ui::SHostWnd host(layout);
        ASSERT_NE(CreateInTray(host), nullptr);
        const platform::NativeWindow tray = desktop.ShellState().TrayCalls().back().data.window;
        desktop.SendMessage(tray, msg::kTrayNotify, kTrayIconId, msg::kRButtonDown);
        desktop.DispatchPosted();
    }
    ASSERT_EQ(backend.ShownMenus().size(), 1u);
    EXPECT_EQ(backend.ShownMenus()[0].menu.items.size(), 2u);
}

// A host that keeps the commands the tray icon passes on.
class CommandHost : public ui::SHostWnd {
public:
    using ui::SHostWnd::SHostWnd;
    std::vector<std::uintptr_t> commands;

protected:
    std::optional<std::intptr_t> OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        if (message == msg::kCommand) commands.push_back(wParam);
        return std::nullopt;
    }
};

TEST_F(TrayIconTest, RightClickOpensAnExtendedMenuAtTheCursorAndItsChoiceArrivesAsACommand) {
    CommandHost host("LAYOUT:FULL_EXTENDED_MENU");
    ASSERT_NE(CreateInTray(host), nullptr);
    desktop.MoveCursor({640, 700});
    const platform::NativeWindow tray = desktop.ShellState().TrayCalls().back().data.window;
    backend.SetNextMenuChoice(6);
    desktop.SendMessage(tray, msg::kTrayNotify, kTrayIconId, msg::kRButtonDown);
    desktop.DispatchPosted();
    ASSERT_EQ(backend.ShownMenus().size(), 1u);
    const auto& shown = backend.ShownMenus()[0];
    EXPECT_EQ(shown.at, (platform::Point{640, 700})) << "top-left corner at the cursor";
    EXPECT_EQ(shown.owner, tray);
    EXPECT_EQ(shown.menu.scalePercent, 100);
    EXPECT_EQ(shown.menu.itemHeight, 30);
    EXPECT_EQ(shown.menu.iconSkin, "skin_traymenu_icons");
    ASSERT_EQ(shown.menu.items.size(), 3u);
    EXPECT_EQ(shown.menu.items[0].text, u"显示主界面");
    EXPECT_TRUE(shown.menu.items[1].separator);
    EXPECT_EQ(shown.menu.items[2].text, u"退出");
    EXPECT_EQ(shown.menu.items[2].icon, 1);
    EXPECT_EQ(desktop.ShellState().ForegroundWindow(), tray);
    EXPECT_EQ(host.commands, (std::vector<std::uintptr_t>{6}));
}

}  // namespace
}  // namespace zintra::test
