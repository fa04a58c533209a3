// Tooltips: a control's tip shows near the pointer after the hover delay,
// goes on leaving, a press or a key, and never takes the focus.
#include <gtest/gtest.h>

#include "tests/unit/ui/UiFixture.h"
#include "ui/controls/STabCtrl.h"
#include "ui/core/ScreenScale.h"

namespace zintra::ui::test {
namespace {

class ToolTips : public ::testing::Test {
protected:
    void Open(const char* layout, int x = 100, int y = 100) {
        host = std::make_unique<RecordingHost>(layout);
        ASSERT_NE(host->Create(0, x, y), 0u);
        host->ShowWindow(msg::kSwShowNormal);
        driver = std::make_unique<HeadlessDriver>(*host, ui.backend);
    }
    platform::Point Centre(std::string_view name) const {
        const platform::Rect r = host->FindChildByName(name)->GetWindowRect();
        return {r.left + r.Width() / 2, r.top + r.Height() / 2};
    }
    std::optional<std::u16string> Shown() const {
        if (!ui.backend.ShownToolTip()) return std::nullopt;
        return ui.backend.ShownToolTip()->text;
    }

    UiFixture ui;
    std::unique_ptr<RecordingHost> host;
    std::unique_ptr<HeadlessDriver> driver;
};

TEST_F(ToolTips, TipAppearsBelowThePointerAfterTheHoverDelay) {
    Open("LAYOUT:XML_MAINWND");
    const platform::Point over = Centre("btn_Sett");
    driver->MouseMove(over);
    ui.desktop.AdvanceBy(300);
    driver->MouseMove({over.x + 1, over.y});  // resting on the same control does not restart the delay
    ui.desktop.AdvanceBy(199);
    EXPECT_FALSE(Shown());
    ui.desktop.AdvanceBy(1);
    ASSERT_EQ(Shown(), u"设置");
    const auto& tip = *ui.backend.ShownToolTip();
    EXPECT_EQ(tip.owner, host->GetHwnd());
    // Under the last pointer position, clear of the cursor.
    EXPECT_EQ(tip.topLeft, (platform::Point{100 + over.x + 1, 100 + over.y + 20}));
    EXPECT_TRUE(std::find(host->timers.begin(), host->timers.end(), ToolTipTracker::kTimerId) == host->timers.end())
        << "the delay is the toolkit's own timer, never the window class's";
    ui.desktop.AdvanceBy(10000);
    EXPECT_EQ(ui.backend.ToolTipsShown(), 1) << "shown once, not again and again";
}

TEST_F(ToolTips, LeavingTheControlHidesItAndAnotherTipWaitsItsOwnDelay) {
    Open("LAYOUT:XML_MAINWND");
    driver->MouseMove(Centre("btn_min"));
    ui.desktop.AdvanceBy(500);
    ASSERT_EQ(Shown(), u"最小化");
    driver->MouseMove(Centre("btn_close"));
    EXPECT_FALSE(Shown());
    ui.desktop.AdvanceBy(499);
    EXPECT_FALSE(Shown());
    ui.desktop.AdvanceBy(1);
    EXPECT_EQ(Shown(), u"关闭");
    driver->MouseMove(Centre("cbx_Time"));  // no tip there
    EXPECT_FALSE(Shown());
    ui.desktop.AdvanceBy(2000);
    EXPECT_FALSE(Shown());
    // Leaving the window altogether.
    driver->MouseMove(Centre("btn_close"));
    ui.desktop.AdvanceBy(500);
    ASSERT_TRUE(Shown());
    host->SendMessage(msg::kMouseLeave);
    EXPECT_FALSE(Shown());
    ui.desktop.AdvanceBy(2000);
    EXPECT_FALSE(Shown());
}

TEST_F(ToolTips, PressOrKeyHidesItUntilThePointerHasBeenElsewhere) {
    Open("LAYOUT:XML_SETTING");
    const platform::Point over = Centre("btn_default");
    driver->MouseMove(over);
    ui.desktop.AdvanceBy(500);
    ASSERT_EQ(Shown(), u"恢复所有默认值");
    driver->LeftButtonDown(over);
    EXPECT_FALSE(Shown());
    driver->LeftButtonUp(over);
    driver->MouseMove({over.x + 2, over.y});
    ui.desktop.AdvanceBy(2000);
    EXPECT_FALSE(Shown()) << "not again while the pointer stays";

    driver->MouseMove(Centre("btn_sure"));
    ui.desktop.AdvanceBy(500);
    ASSERT_EQ(Shown(), u"确定");
    driver->PressKey(0x41);
    EXPECT_FALSE(Shown());
    // A press that comes during the delay cancels it too.
    driver->MouseMove(Centre("btn_default"));
    ui.desktop.AdvanceBy(200);
    driver->PressKey(msg::kVkEscape);
    ui.desktop.AdvanceBy(2000);
    EXPECT_FALSE(Shown());
    // Elsewhere and back: the tip comes again.
    driver->MouseMove({5, 200});
    driver->MouseMove(Centre("btn_default"));
    ui.desktop.AdvanceBy(500);
    EXPECT_EQ(Shown(), u"恢复所有默认值");
}

TEST_F(ToolTips, TipNeverTakesTheFocus) {
    Open("LAYOUT:XML_CUSTOMTIME");
    driver->PressKey(msg::kVkTab);
    SWindow* focused = host->GetFocus();
    ASSERT_NE(focused, nullptr);
    const platform::NativeWindow foreground = ui.desktop.ShellState().ForegroundWindow();
    driver->MouseMove(Centre("btn_cancel"));
    ui.desktop.AdvanceBy(500);
    ASSERT_EQ(Shown(), u"取消");
    EXPECT_EQ(host->GetFocus(), focused);
    EXPECT_EQ(ui.desktop.ShellState().ForegroundWindow(), foreground);
    driver->TypeText(u"7");
    EXPECT_EQ(host->FindChildByName("edt_customtime")->GetWindowText(), u"7") << "keys still reach the edit";
}

TEST_F(ToolTips, EachTabShowsItsPagesTip) {
    Open("LAYOUT:XML_SETTING");
    auto* tabs = host->FindChildByName2<STabCtrl>("tab_main");
    const platform::Rect second = tabs->GetTabRect(1);
    driver->MouseMove({second.left + 10, second.top + 10});
    ui.desktop.AdvanceBy(500);
    EXPECT_EQ(Shown(), u"其他设置");
    const platform::Rect third = tabs->GetTabRect(2);
    driver->MouseMove({third.left + 10, third.top + 10});
    EXPECT_FALSE(Shown()) << "another tab is another tip";
    ui.desktop.AdvanceBy(500);
    EXPECT_EQ(Shown(), u"关于");
}

TEST_F(ToolTips, ClosingTheWindowTakesItsTipAlong) {
    Open("LAYOUT:XML_MAINWND");
    driver->MouseMove(Centre("btn_Sett"));
    ui.desktop.AdvanceBy(500);
    ASSERT_TRUE(Shown());
    host->DestroyWindow();
    EXPECT_FALSE(Shown());
}

TEST_F(ToolTips, OnAScaledMonitorTheTipIsPlacedAndDrawnInItsPixels) {
    ui.desktop.SetMonitors({{{0, 0, 3840, 2160}, {0, 0, 3840, 2080}, 192}});
    Open("LAYOUT:XML_MAINWND", 200, 300);
    const platform::Point over = Centre("btn_Sett");
    driver->MouseMove(over);
    ui.desktop.AdvanceBy(500);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(ui.backend.ShownToolTip()->scale, 2.0);
    EXPECT_EQ(ui.backend.ShownToolTip()->topLeft, (platform::Point{200 + 2 * over.x, 300 + 2 * (over.y + 20)}));
}

}  // namespace
}  // namespace zintra::ui::test
