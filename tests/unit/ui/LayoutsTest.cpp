// The five windows load from the program's resources with the names, classes,
// texts, items and initial states the window classes rely on.
#include <gtest/gtest.h>

#include "platform/Messages.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/controls/SEdit.h"
#include "ui/controls/SMenu.h"
#include "ui/controls/SProgress.h"
#include "ui/controls/STabCtrl.h"
#include "ui/controls/STabPage.h"
#include "base/TextUtil.h"

namespace zintra::ui::test {
namespace {

struct Expected {
    const char* name;
    const char* className;
};

class Layouts : public ::testing::Test {
protected:
    // Creates the window and checks that every name is there with its class.
    void ExpectControls(SHostWnd& host, std::initializer_list<Expected> controls) {
        ASSERT_NE(host.Create(), 0u) << host.GetLayoutName();
        for (const auto& control : controls) {
            EXPECT_NE(host.FindChildByName2(control.name, control.className), nullptr)
                << host.GetLayoutName() << ": " << control.name << " as " << control.className;
        }
        EXPECT_TRUE(ui.log.empty()) << ui.log.front();
    }
    SComboBox& Combo(SHostWnd& host, const char* name) { return *host.FindChildByName2<SComboBox>(name); }

    UiFixture ui;
};

TEST_F(Layouts, MainWindowHasEveryNamedControlAndItsInitialState) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ExpectControls(main, {{"btn_close", "imgbtn"}, {"btn_min", "imgbtn"}, {"btn_Sett", "imgbtn"},
                          {"type_left", "radio"}, {"type_right", "radio"}, {"type_leftdown", "radio"},
                          {"cbx_Time", "combobox"}, {"cbx_hotkey", "comboboxex"}, {"txt_hotkey", "text"},
                          {"txt_mousetype", "text"}, {"logo_url", "window"}, {"url", "window"}});
    const auto& attributes = main.GetHostAttributes();
    EXPECT_EQ(attributes.name, "mainWindow");
    EXPECT_EQ(attributes.title, u"Zintra");
    EXPECT_EQ(attributes.width, 400);
    EXPECT_EQ(attributes.height, 300);
    EXPECT_TRUE(attributes.appMainWnd);
    EXPECT_TRUE(attributes.translucent);
    EXPECT_FALSE(attributes.toolWindow);
    EXPECT_EQ(ui.backend.HostWindowRect(main.GetHwnd()).Width(), 400);

    EXPECT_TRUE(main.FindChildByName("type_left")->IsChecked());
    EXPECT_FALSE(main.FindChildByName("type_right")->IsChecked());
    EXPECT_FALSE(main.FindChildByName("type_leftdown")->IsChecked());
    EXPECT_EQ(main.FindChildByName("txt_hotkey")->GetWindowText(), u"CRTL+Q");
    EXPECT_EQ(main.FindChildByName("txt_mousetype")->GetWindowText(), u"启动和停止的热键");
}

TEST_F(Layouts, IntervalListOpensOnPointOneWithItsTenPresets) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(), 0u);
    SComboBox& time = Combo(main, "cbx_Time");
    const char16_t* texts[] = {u"0.01", u"0.02", u"0.05", u"0.1", u"0.2", u"0.6", u"1", u"2", u"3", u"自定义"};
    const int data[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
    ASSERT_EQ(time.GetCount(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(time.GetLBText(i), texts[i]) << i;
        EXPECT_EQ(time.GetItemData(i), data[i]) << i;
    }
    EXPECT_EQ(time.GetCurSel(), 3);
    EXPECT_EQ(time.GetWindowText(), u"0.1");
    EXPECT_TRUE(time.IsDropDownList());
    EXPECT_EQ(time.GetDropHeight(), 300);
    EXPECT_EQ(time.GetWindowRect().Width(), 78);
    EXPECT_EQ(time.GetWindowRect().Height(), 22);
}

TEST_F(Layouts, HotkeyListHasTheFunctionKeysAndCustomWithNothingSelected) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(), 0u);
    SComboBox& hotkey = Combo(main, "cbx_hotkey");
    ASSERT_EQ(hotkey.GetCount(), 13);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(Utf16ToUtf8(hotkey.GetLBText(i)), "F" + std::to_string(i + 1));
        EXPECT_EQ(hotkey.GetItemData(i), 112 + i);
    }
    EXPECT_EQ(hotkey.GetLBText(12), u"自定义");
    EXPECT_EQ(hotkey.GetItemData(12), 0);
    EXPECT_EQ(hotkey.GetCurSel(), -1);
    EXPECT_EQ(hotkey.GetWindowText(), u"");
    EXPECT_TRUE(hotkey.GetListBox().IsClass("listboxex"));
}

TEST_F(Layouts, TrayIconIsFoundByItsLayoutIdAndGetsItsOwnAttributes) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(), 0u);
    auto* tray = main.FindChildByID2<FakeTrayIcon>(110);
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(tray->menu, "SMENU:menu_tray");
    EXPECT_EQ(tray->icon, "ICON_LOGO:16");
    EXPECT_EQ(tray->GetToolTipText(), u"Zintra鼠标连点器");
    EXPECT_TRUE(tray->initFinished);
    const int before = FakeTrayIcon::destroyed;
    main.DestroyWindow();
    EXPECT_EQ(FakeTrayIcon::destroyed, before + 1);
}

TEST_F(Layouts, ControlsCarryTheFixedIdsOfTheirNames) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    SHostDialog update("LAYOUT:XML_UPDATE");
    ASSERT_NE(main.Create(), 0u);
    ASSERT_NE(update.Create(), 0u);
    EXPECT_EQ(main.FindChildByName("btn_close")->GetID(), 65536);
    EXPECT_EQ(main.FindChildByName("url")->GetID(), 65547);
    EXPECT_EQ(update.FindChildByName("btn_close")->GetID(), 65536);
    EXPECT_EQ(update.FindChildByName("version")->GetID(), 65573);
    EXPECT_EQ(update.FindChildByName("UpdateText")->GetID(), 65579);
    EXPECT_EQ(main.FindChildByID(65544)->GetName(), "txt_hotkey");
}

TEST_F(Layouts, SettingsWindowStartsWithDisabledDigitOnlyEditsOnPageZero) {
    SHostDialog settings("LAYOUT:XML_SETTING");
    ExpectControls(settings, {{"btn_close", "imgbtn"}, {"tab_main", "tabctrl"}, {"useRandomTime", "check"},
                              {"edt_time", "edit"}, {"useFixedPos", "check"}, {"wnd_useFixedPos", "window"},
                              {"edt_posX", "edit"}, {"edt_posY", "edit"}, {"btn_circle", "window"},
                              {"chk_ctrlq", "check"}, {"useLimitCount", "check"}, {"wnd_limitCount", "window"},
                              {"edt_LimitCount", "edit"}, {"txt_testHotkey", "text"}, {"btn_test", "window"},
                              {"txt_testCount", "text"}, {"chk_CloseRightTip", "check"}, {"chk_HideMain", "check"},
                              {"chk_setAutoRun", "check"}, {"btn_default", "imgbtn"}, {"btn_sure", "imgbtn"}});
    EXPECT_EQ(settings.GetHostAttributes().width, 500);
    EXPECT_EQ(settings.GetHostAttributes().height, 560);
    EXPECT_TRUE(settings.GetHostAttributes().toolWindow);
    for (const char* name : {"edt_time", "edt_posX", "edt_posY", "edt_LimitCount"}) {
        auto* edit = settings.FindChildByName2<SEdit>(name);
        EXPECT_TRUE(edit->IsNumberOnly()) << name;
        EXPECT_TRUE(edit->IsDisabled()) << name;
        EXPECT_EQ(edit->GetAttribute("class"), "cls_editdisable") << name;
        EXPECT_EQ(edit->GetCueText(), u"0") << name;
        EXPECT_EQ(edit->GetWindowText(), u"0") << name;
    }
    for (const char* name : {"useRandomTime", "useFixedPos", "useLimitCount", "chk_ctrlq", "chk_CloseRightTip",
                             "chk_HideMain", "chk_setAutoRun"}) {
        EXPECT_FALSE(settings.FindChildByName(name)->IsChecked()) << name;
    }
    EXPECT_TRUE(settings.FindChildByName("chk_ctrlq")->IsDisabled());
    EXPECT_EQ(settings.FindChildByName("wnd_limitCount")->GetAttribute("class"), "cls_disable");
    EXPECT_EQ(settings.FindChildByName("btn_circle")->GetWindowRect().Width(), 20);
    EXPECT_EQ(settings.FindChildByName("btn_test")->GetWindowRect().Width(), 76);
    EXPECT_EQ(settings.FindChildByName("txt_testCount")->GetWindowText(), u"当前已经点击0次");

    auto* tabs = settings.FindChildByName2<STabCtrl>("tab_main");
    ASSERT_EQ(tabs->GetItemCount(), 3);
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_EQ(tabs->GetPage(0)->GetTitle(), u"点击设置");
    EXPECT_EQ(tabs->GetPage(2)->GetTitle(), u"关于");
    EXPECT_FALSE(tabs->IsFocusable());
    // Only page 0 shows; the controls of page 1 are hidden with it.
    EXPECT_TRUE(settings.FindChildByName("useRandomTime")->IsVisible());
    EXPECT_FALSE(settings.FindChildByName("chk_HideMain")->IsVisible());
}

TEST_F(Layouts, CustomDialogsHaveNoCloseButtonAndTheIntervalEditTakesAnyText) {
    SHostDialog hotkey("LAYOUT:XML_CUSTOM");
    ExpectControls(hotkey, {{"txt_caption", "text"}, {"ctrl_hk1", "hotkey"}, {"btn_cancel", "imgbtn"},
                            {"btn_sure", "imgbtn"}});
    EXPECT_EQ(hotkey.FindChildByName("ctrl_hk1")->GetWindowText(), u"无");
    EXPECT_EQ(hotkey.FindChildByName("ctrl_hk1")->GetWindowRect().Width(), 282);
    EXPECT_EQ(hotkey.FindChildByName("btn_close"), nullptr);

    SHostDialog time("LAYOUT:XML_CUSTOMTIME");
    ExpectControls(time, {{"txt_caption", "text"}, {"edt_customtime", "edit"}, {"btn_cancel", "imgbtn"},
                          {"btn_sure", "imgbtn"}});
    auto* edit = time.FindChildByName2<SEdit>("edt_customtime");
    EXPECT_FALSE(edit->IsNumberOnly());
    EXPECT_EQ(edit->GetWindowText(), u"");
    EXPECT_EQ(time.FindChildByName("txt_caption")->GetWindowText(), u"请输入要设置的时间间隔");
    EXPECT_EQ(time.FindChildByName("btn_close"), nullptr);
    EXPECT_EQ(time.GetHostAttributes().width, 282);
    EXPECT_EQ(time.GetHostAttributes().height, 162);
}

TEST_F(Layouts, UpdateWindowOpensWithTheProgressPanelHiddenAndBothButtonsUsable) {
    SHostDialog update("LAYOUT:XML_UPDATE");
    ExpectControls(update, {{"btn_close", "imgbtn"}, {"version", "text"}, {"txt_updateinfo", "text"},
                            {"btnUpdate", "imgbtn"}, {"btnNotUpdate", "imgbtn"}, {"upProgressWindow", "window"},
                            {"UpProg", "progress"}, {"UpdateText", "text"}});
    EXPECT_TRUE(update.GetHostAttributes().appWnd);
    EXPECT_FALSE(update.FindChildByName("upProgressWindow")->IsVisible());
    EXPECT_FALSE(update.FindChildByName("UpProg")->IsVisible());
    auto* progress = update.FindChildByName2<SProgress>("UpProg");
    EXPECT_EQ(progress->GetValue(), 0);
    EXPECT_EQ(progress->GetMaximum(), 100);
    EXPECT_EQ(update.FindChildByName("version")->GetWindowText(), u"2");
    EXPECT_EQ(update.FindChildByName("UpdateText")->GetWindowText(), u"正在下载安装包...");
    EXPECT_EQ(update.FindChildByName("btnUpdate")->GetWindowText(), u"立即更新");
    EXPECT_EQ(update.FindChildByName("btnNotUpdate")->GetWindowRect().Width(), 60);
    // The buttons lie under the panel's area, and are reachable while it is hidden.
    const platform::Rect button = update.FindChildByName("btnUpdate")->GetWindowRect();
    const platform::Rect panel = update.FindChildByName("upProgressWindow")->GetWindowRect();
    EXPECT_TRUE(panel.Contains({button.left + 1, button.top + 1}));
    EXPECT_TRUE(panel.Contains({button.right - 1, button.bottom - 1}));
    EXPECT_EQ(update.GetRoot()->HitTest({button.left + 5, button.top + 5}), update.FindChildByName("btnUpdate"));
    update.FindChildByName("upProgressWindow")->SetAttribute("show", "1");
    EXPECT_NE(update.GetRoot()->HitTest({button.left + 5, button.top + 5}), update.FindChildByName("btnUpdate"));
}

TEST_F(Layouts, TrayMenuHasShowAndExit) {
    SMenu menu;
    ASSERT_TRUE(menu.LoadMenu("SMENU:menu_tray"));
    ASSERT_EQ(menu.Data().items.size(), 2u);
    EXPECT_EQ(menu.Data().items[0].id, 5);
    EXPECT_EQ(menu.Data().items[0].text, u"显示主界面");
    EXPECT_EQ(menu.Data().items[1].id, 6);
    EXPECT_EQ(menu.Data().items[1].text, u"退出");
    EXPECT_EQ(menu.Data().iconSkin, "skin_traymenu_icons");
    EXPECT_EQ(menu.Data().itemHeight, 26);
    EXPECT_FALSE(menu.LoadMenu("SMENU:no_such_menu"));
    EXPECT_FALSE(menu.LoadMenu("LAYOUT:XML_MAINWND"));  // a resource that is not a menu
}

TEST_F(Layouts, StartUpDefinitionGivesFontStringsColoursAndClasses) {
    const UiDefinitions& definitions = ui.application->Definitions();
    EXPECT_EQ(definitions.DefaultFont().face, u"微软雅黑");
    EXPECT_EQ(definitions.DefaultFont().size, 12);
    EXPECT_EQ(definitions.FindString("title"), "Zintra");
    EXPECT_EQ(definitions.FindString("ver"), "1.0");
    EXPECT_EQ(Color::Parse(*definitions.FindColor("red")), (Color{255, 0, 0, 255}));
    EXPECT_EQ(Color::Parse(*definitions.FindColor("gray")), (Color{128, 128, 128, 255}));
    for (const char* name : {"normalbtn", "cls_btn_weblink", "text_default", "text_start"}) {
        EXPECT_NE(definitions.Styles().Find(name), nullptr) << name;
    }
    // text_default: white, three points larger than the default font, bold.
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(), 0u);
    const SWindow* radio = main.FindChildByName("type_left");
    EXPECT_EQ(radio->GetTextColor(), (Color{255, 255, 255, 255}));
    EXPECT_EQ(radio->GetFont().size, 15);
    EXPECT_TRUE(radio->GetFont().bold);
    EXPECT_EQ(main.FindChildByName("txt_mousetype")->GetFont().size, 16);
}

}  // namespace
}  // namespace zintra::ui::test
