// The settings window's pages slide in: 30 steps that slow down towards the
// end, painted only (the controls are where they stay from the first step),
// and cut short by any input.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/ui/UiFixture.h"
#include "ui/controls/STabCtrl.h"
#include "ui/controls/STabPage.h"
#include "ui/render/RecordingSurface.h"

namespace zintra::ui::test {
namespace {

class TabAnimation : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<RecordingHost>("LAYOUT:XML_SETTING");
        ASSERT_NE(host->Create(0, 100, 100), 0u);
        host->ShowWindow(msg::kSwShowNormal);
        driver = std::make_unique<HeadlessDriver>(*host, ui.backend);
        tabs = host->FindChildByName2<STabCtrl>("tab_main");
        ASSERT_NE(tabs, nullptr);
    }
    void ClickTab(int index) {
        const platform::Rect tab = tabs->GetTabRect(index);
        driver->ClickAt({tab.left + 10, tab.top + 10});
    }
    // Where the last paint drew a control's text, or nothing.
    std::optional<platform::Rect> PaintedTextOf(const std::u16string& text) {
        RecordingSurface surface;
        host->Paint(surface);
        const auto* command = surface.FindText(text);
        if (command == nullptr) return std::nullopt;
        return command->rect;
    }
    // The painted offsets from the switch until the slide ends, one per step.
    std::vector<int> OffsetsUntilAtRest() {
        std::vector<int> offsets;
        while (tabs->IsAnimating() && offsets.size() < 1000) {
            ui.desktop.AdvanceBy(SHostWnd::kAnimationStepMilliseconds);
            offsets.push_back(tabs->AnimationOffset());
        }
        return offsets;
    }

    UiFixture ui;
    std::unique_ptr<RecordingHost> host;
    std::unique_ptr<HeadlessDriver> driver;
    STabCtrl* tabs = nullptr;
};

TEST_F(TabAnimation, ANewPageSlidesInOverThirtyStepsThatSlowDown) {
    const platform::Rect before = host->FindChildByName("chk_HideMain")->GetWindowRect();
    ClickTab(1);
    ASSERT_TRUE(tabs->IsAnimating());
    EXPECT_EQ(ui.desktop.TimerPeriod(host->GetHwnd(), SHostWnd::kAnimationTimerId), 10u);
    const int width = tabs->GetPage(1)->GetWindowRect().Width();
    EXPECT_EQ(tabs->AnimationOffset(), width) << "the first picture still shows the old page";

    const std::vector<int> offsets = OffsetsUntilAtRest();
    ASSERT_EQ(offsets.size(), 30u);
    EXPECT_EQ(offsets.back(), 0);
    int previous = width;
    int previousStride = width;
    for (std::size_t step = 0; step + 1 < offsets.size(); ++step) {
        const int stride = previous - offsets[step];
        EXPECT_GT(offsets[step], 0) << "still on its way at step " << step + 1;
        EXPECT_GT(stride, 0) << "moves every step, step " << step + 1;
        EXPECT_LE(stride, previousStride) << "never faster than the step before, step " << step + 1;
        previous = offsets[step];
        previousStride = stride;
    }
    EXPECT_GT(width - offsets[0], 5 * (offsets[28] - offsets[29])) << "fast at first, slow at the end";
    // No more steps once at rest, and the timer is gone.
    EXPECT_FALSE(ui.desktop.TimerPeriod(host->GetHwnd(), SHostWnd::kAnimationTimerId));
    EXPECT_EQ(std::count(host->timers.begin(), host->timers.end(), SHostWnd::kAnimationTimerId), 0)
        << "the steps are the toolkit's own timer, never the window class's";
    EXPECT_EQ(host->FindChildByName("chk_HideMain")->GetWindowRect(), before);
}

TEST_F(TabAnimation, AnEarlierPageComesFromTheLeftAndTheOldOneIsPushedOut) {
    tabs->SetCurSel(2);
    OffsetsUntilAtRest();
    ClickTab(1);
    ui.desktop.AdvanceBy(5 * SHostWnd::kAnimationStepMilliseconds);
    const int offset = tabs->AnimationOffset();
    ASSERT_LT(offset, 0) << "page 1 lies left of page 2";
    const platform::Rect at = host->FindChildByName("chk_HideMain")->GetWindowRect();
    const auto painted = PaintedTextOf(u"启动连点后自动隐藏主窗口");
    ASSERT_TRUE(painted);
    // The old page is drawn beside it, one page width further on.
    const int width = tabs->GetPage(1)->GetWindowRect().Width();
    STabPage* about = tabs->GetPage(2);
    ASSERT_FALSE(about->IsVisible(false)) << "the page going out takes no input";
    const auto& children = about->GetChildren();
    const auto picture = std::find_if(children.begin(), children.end(),
                                      [](const auto& child) { return child->GetAttribute("skin") == "skin_about"; });
    ASSERT_NE(picture, children.end());
    const auto paintedSkin = [&]() -> std::optional<platform::Rect> {
        RecordingSurface surface;
        host->Paint(surface);
        for (const auto& command : surface.Commands()) {
            if (command.kind == RecordingSurface::Command::Kind::Skin && command.skin == "skin_about") return command.rect;
        }
        return std::nullopt;
    };
    const auto going = paintedSkin();
    ASSERT_TRUE(going) << "the about page's picture is still painted";
    EXPECT_EQ(going->left, (*picture)->GetWindowRect().left + offset + width);
    OffsetsUntilAtRest();
    EXPECT_FALSE(paintedSkin()) << "gone once the slide is over";
    EXPECT_EQ(painted->left, PaintedTextOf(u"启动连点后自动隐藏主窗口")->left + offset)
        << "drawn on its way, laid out where it stays";
    EXPECT_EQ(host->FindChildByName("chk_HideMain")->GetWindowRect(), at);
}

TEST_F(TabAnimation, AClickRightAfterASwitchHitsTheControlWhereItStays) {
    ClickTab(1);
    ASSERT_TRUE(tabs->IsAnimating());
    auto* hide = host->FindChildByName("chk_HideMain");
    ASSERT_FALSE(hide->IsChecked());
    ASSERT_TRUE(driver->Click("chk_HideMain"));
    EXPECT_TRUE(hide->IsChecked());
    EXPECT_FALSE(tabs->IsAnimating()) << "the press ended the slide, so what is seen is what was hit";
    const auto painted = PaintedTextOf(u"启动连点后自动隐藏主窗口");
    ASSERT_TRUE(painted);
    EXPECT_GT(painted->left, hide->GetWindowRect().left);
    EXPECT_LT(painted->left, hide->GetWindowRect().right);
    EXPECT_FALSE(ui.desktop.TimerPeriod(host->GetHwnd(), SHostWnd::kAnimationTimerId)) << "no more steps";
}

TEST_F(TabAnimation, AKeyEndsTheSlideAndCtrlTabStartsTheNextOne) {
    ClickTab(1);
    ui.desktop.AdvanceBy(3 * SHostWnd::kAnimationStepMilliseconds);
    ASSERT_NE(tabs->AnimationOffset(), 0);
    driver->KeyDown(msg::kVkControl);
    EXPECT_FALSE(tabs->IsAnimating());
    driver->PressKey(msg::kVkTab);
    driver->KeyUp(msg::kVkControl);
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_TRUE(tabs->IsAnimating());
    EXPECT_EQ(OffsetsUntilAtRest().size(), 30u);
}

TEST_F(TabAnimation, SwitchingAgainMidwayStartsAFreshSlideFromTheShownPage) {
    ClickTab(1);
    ui.desktop.AdvanceBy(3 * SHostWnd::kAnimationStepMilliseconds);
    tabs->SetCurSel(2);  // by the program, not by input
    ASSERT_TRUE(tabs->IsAnimating());
    EXPECT_EQ(tabs->AnimationOffset(), tabs->GetPage(2)->GetWindowRect().Width());
    EXPECT_EQ(OffsetsUntilAtRest().size(), 30u);
    EXPECT_TRUE(host->FindChildByName("btn_test") != nullptr);
}

TEST_F(TabAnimation, OffsetsFollowTheStepsAndStayInsideThePage) {
    EXPECT_EQ(STabCtrl::SlideOffset(498, 0, 30), 498);
    EXPECT_EQ(STabCtrl::SlideOffset(498, 30, 30), 0);
    EXPECT_EQ(STabCtrl::SlideOffset(498, 31, 30), 0);
    EXPECT_EQ(STabCtrl::SlideOffset(498, 15, 30), 125) << "a quarter of the way left at half time";
    EXPECT_EQ(STabCtrl::SlideOffset(498, -4, 30), 498);
    EXPECT_EQ(STabCtrl::SlideOffset(498, 3, 0), 0) << "no steps: no slide";
}

TEST_F(TabAnimation, WithoutAnimationAttributesPagesSwitchAtOnce) {
    tabs->SetAttribute("animateType", "0");
    ClickTab(2);
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_FALSE(tabs->IsAnimating());
    tabs->SetAttribute("animateType", "1");
    tabs->SetAttribute("animateSteps", "0");
    ClickTab(0);
    EXPECT_FALSE(tabs->IsAnimating());
    tabs->SetAttribute("animateSteps", "3");
    ClickTab(1);
    EXPECT_EQ(OffsetsUntilAtRest().size(), 3u);
}

TEST_F(TabAnimation, ClosingTheWindowMidwayIsSafe) {
    ClickTab(2);
    ui.desktop.AdvanceBy(2 * SHostWnd::kAnimationStepMilliseconds);
    const platform::NativeWindow window = host->GetHwnd();
    host->DestroyWindow();
    EXPECT_FALSE(ui.desktop.TimerPeriod(window, SHostWnd::kAnimationTimerId));
    ui.desktop.AdvanceBy(1000);  // a step now would touch the freed page (the sanitizer build sees it)
}

}  // namespace
}  // namespace zintra::ui::test
