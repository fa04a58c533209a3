// The program used without a mouse: through the keyboard alone, and through
// the accessible tree alone, as a screen reader's user would.
#include <gtest/gtest.h>

#include "tests/unit/mainwindow/MainWindowFixture.h"
#include "ui/core/Accessible.h"

namespace zintra::test {
namespace {

constexpr std::uint32_t kVkSpace = 0x20;

std::string FocusedName(ui::SHostWnd& host) { return host.GetFocus() != nullptr ? host.GetFocus()->GetName() : ""; }

TEST_F(MainWindowTest, KeyboardOnlyClickLimitOfThreeGivesThreeClicks) {
    Start();
    bool confirmed = false;
    OnNextDialog([&](ui::SHostDialog& dialog, ui::HeadlessDriver& keys) {
        for (int i = 0; i < 20 && FocusedName(dialog) != "useLimitCount"; ++i) keys.PressKey(msg::kVkTab);
        ASSERT_EQ(FocusedName(dialog), "useLimitCount");
        keys.PressKey(kVkSpace);
        keys.PressKey(msg::kVkTab);
        ASSERT_EQ(FocusedName(dialog), "edt_LimitCount");
        keys.PressKey(msg::kVkBack);
        keys.TypeText(u"3");
        keys.PressKey(msg::kVkReturn);
        confirmed = dialog.IsEnded();
    });
    driver->PressKey(msg::kVkTab);
    ASSERT_EQ(FocusedName(*main), "btn_Sett");
    driver->PressKey(msg::kVkReturn);
    ASSERT_TRUE(confirmed);
    EXPECT_TRUE(main->Settings().useLimitCount);
    EXPECT_EQ(main->Settings().limitCount, 3);
    ASSERT_TRUE(PressHotkey());
    desktop.AdvanceBy(5000);
    EXPECT_EQ(desktop.SentEvents().size(), 9u) << "three clicks of three events each";
}

TEST_F(MainWindowTest, KeysChooseTheClickTypeAndIntervalAsClicksDo) {
    Start();
    for (int i = 0; i < 10 && FocusedName(*main) != "type_left"; ++i) driver->PressKey(msg::kVkTab);
    driver->PressKey(msg::kVkDown);
    EXPECT_EQ(main->Settings().clickType, kClickRight);
    EXPECT_EQ(Text("txt_mousetype"), u"开始右键连点");
    driver->PressKey(msg::kVkDown);
    EXPECT_EQ(main->Settings().clickType, 2);
    EXPECT_TRUE(main->FindChildByName("cbx_Time")->IsDisabled(true));
    driver->PressKey(msg::kVkUp);
    // Only the checked radio is a tab stop.
    driver->PressKey(msg::kVkTab);
    ASSERT_EQ(FocusedName(*main), "cbx_Time");
    driver->PressKey(msg::kVkDown);  // 0.1 -> 0.2
    EXPECT_EQ(main->Settings().interval, 0.2f);
}

TEST_F(MainWindowTest, AccessibleActionsAloneChooseRightClicksEveryFifthOfASecond) {
    Start();
    ui::AccessibleTree tree(*main);
    ui::AccessibleNode right;
    ui::AccessibleNode interval;
    for (const ui::AccessibleNode& node : tree.Children(tree.Root())) {
        if (tree.Name(node) == u"鼠标右键") right = node;
        if (tree.Role(node) == ui::AccessibleRole::ComboBox && tree.Name(node) == u"每次点击间隔时间") interval = node;
    }
    ASSERT_TRUE(right);
    ASSERT_TRUE(interval);
    ASSERT_TRUE(tree.DoDefaultAction(right));
    EXPECT_EQ(main->Settings().clickType, kClickRight);
    EXPECT_EQ(Text("txt_mousetype"), u"开始右键连点");
    ui::AccessibleNode fifth;
    for (const ui::AccessibleNode& entry : tree.Children(interval)) {
        if (tree.Name(entry) == u"0.2") fifth = entry;
    }
    ASSERT_TRUE(tree.DoDefaultAction(fifth));
    EXPECT_EQ(main->Settings().interval, 0.2f);
    ASSERT_TRUE(PressHotkey());
    desktop.AdvanceBy(990);
    ASSERT_TRUE(PressHotkey());
    EXPECT_EQ(desktop.SentEvents().size(), 15u) << "five right clicks in just under a second";
    EXPECT_EQ(desktop.SentEvents()[1].flags, msg::kMouseEventRightDown);
}

}  // namespace
}  // namespace zintra::test
