#include <gtest/gtest.h>

#include "tests/unit/mainwindow/MainWindowFixture.h"
#include "ui/controls/SRadioBox.h"

namespace zintra::test {
namespace {

constexpr std::uint32_t kVkF5 = 0x74, kVkF8 = 0x77;

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

TEST_F(MainWindowTest, UnavailableKeyLeavesTheLayoutAndRegistersNoHotkey) {
    desktop.FailKey(kProgramKey);
    Start();
    EXPECT_TRUE(desktop.HotkeyRegistrations().empty());
    EXPECT_EQ(Text("txt_hotkey"), u"CRTL+Q");
    EXPECT_EQ(List("cbx_hotkey").GetCurSel(), -1);
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

}  // namespace
}  // namespace zintra::test
