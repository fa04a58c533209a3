// Layout units and screen pixels: windows on monitors of scale 1, 1.5 and 2,
// and a desktop of two monitors with one left of the primary. Every screen
// position of a control (the map the tests click by, hit testing, centring)
// goes through one conversion, so they agree with what is painted.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/unit/ui/UiFixture.h"
#include "ui/core/ScreenScale.h"
#include "ui/core/UiMapWriter.h"

namespace zintra::ui::test {
namespace {

TEST(ScreenScale, EveryPixelBelongsToTheUnitThatPaintsIt) {
    for (const double scale : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5}) {
        for (int unit = -40; unit < 40; ++unit) {
            for (int pixel = PixelOfUnit(unit, scale); pixel < PixelOfUnit(unit + 1, scale); ++pixel) {
                EXPECT_EQ(UnitOfPixel(pixel, scale), unit) << "scale " << scale << ", pixel " << pixel;
            }
            EXPECT_GE(PixelOfUnit(unit + 1, scale) - PixelOfUnit(unit, scale), 1) << "no unit is lost";
        }
    }
    EXPECT_EQ(ScaleOfDpi(96), 1.0);
    EXPECT_EQ(ScaleOfDpi(120), 1.25);
    EXPECT_EQ(ScaleOfDpi(144), 1.5);
    EXPECT_EQ(ScaleOfDpi(192), 2.0);
    EXPECT_EQ(ScaleOfDpi(0), 1.0) << "a failed query keeps the layout's own size";
}

class ScaledScreen : public ::testing::TestWithParam<int> {
protected:
    ScaledScreen() {
        // One monitor at the given DPI, 1920 x 1080 units of it.
        const double scale = ScaleOfDpi(GetParam());
        const int width = PixelOfUnit(1920, scale);
        const int height = PixelOfUnit(1080, scale);
        ui.desktop.SetMonitors({{{0, 0, width, height}, {0, 0, width, height - PixelOfUnit(40, scale)}, GetParam()}});
    }
    double Scale() const { return ScaleOfDpi(GetParam()); }

    UiFixture ui;
};

TEST_P(ScaledScreen, WindowGrowsWithTheMonitorAndKeepsItsLayout) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(0, 100, 80), 0u);
    const platform::Rect frame = main.GetWindowRect();
    EXPECT_EQ(frame.left, 100);
    EXPECT_EQ(frame.top, 80);
    EXPECT_EQ(frame.Width(), static_cast<int>(400 * Scale()));
    EXPECT_EQ(frame.Height(), static_cast<int>(300 * Scale()));
    EXPECT_EQ(main.GetClientSize(), (platform::Size{400, 300})) << "the layout is the same at every scale";
    EXPECT_EQ(main.FindChildByName("cbx_Time")->GetWindowRect().Width(), 78);
}

TEST_P(ScaledScreen, ScreenPositionsOfAControlCoverExactlyItsPixels) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(0, 100, 80), 0u);
    SWindow* close = main.FindChildByName("btn_close");
    const platform::Rect client = close->GetWindowRect();
    const platform::Rect onScreen = main.ClientRectToScreen(client);
    // The far edges scale with the window; the button is as many times wider.
    EXPECT_EQ(onScreen.Width(), PixelOfUnit(client.right, Scale()) - PixelOfUnit(client.left, Scale()));
    EXPECT_EQ(onScreen.right, 100 + PixelOfUnit(client.right, Scale()));
    EXPECT_LE(onScreen.right, main.GetWindowRect().right);
    // Every pixel inside hits the button, the first pixels outside do not.
    for (int x = onScreen.left; x < onScreen.right; ++x) {
        for (const int y : {onScreen.top, onScreen.bottom - 1}) {
            EXPECT_EQ(main.GetRoot()->HitTest(main.ScreenToClient({x, y})), close) << x << "," << y;
        }
    }
    EXPECT_NE(main.GetRoot()->HitTest(main.ScreenToClient({onScreen.left - 1, onScreen.top})), close);
    EXPECT_NE(main.GetRoot()->HitTest(main.ScreenToClient({onScreen.left, onScreen.bottom})), close);
}

TEST_P(ScaledScreen, CentringUsesTheWindowsPixels) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(), 0u);
    main.CenterWindow();
    const platform::Rect frame = main.GetWindowRect();
    const platform::Rect area = ui.desktop.Monitors().front().workArea;
    EXPECT_EQ(frame.left, (area.Width() - static_cast<int>(400 * Scale())) / 2);
    EXPECT_EQ(frame.top, (area.Height() - static_cast<int>(300 * Scale())) / 2);
    // Centred means equal margins, whatever the scale.
    EXPECT_LE(std::abs((frame.left - area.left) - (area.right - frame.right)), 1);
    EXPECT_LE(std::abs((frame.top - area.top) - (area.bottom - frame.bottom)), 1);
}

TEST_P(ScaledScreen, ControlMapGivesScreenPixels) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(0, 10, 20), 0u);
    std::istringstream lines(UiMapWriter::DescribeHost(main));
    std::string line;
    bool found = false;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string window, name;
        int left = 0, top = 0, right = 0, bottom = 0;
        fields >> window >> name >> left >> top >> right >> bottom;
        if (name != "cbx_Time") continue;
        found = true;
        // A click at the centre of the mapped rectangle lands on the box.
        const platform::Point centre{(left + right) / 2, (top + bottom) / 2};
        EXPECT_EQ(main.GetRoot()->HitTest(main.ScreenToClient(centre)), main.FindChildByName("cbx_Time"));
        EXPECT_NEAR(right - left, 78 * Scale(), 1.0);
        EXPECT_NEAR(bottom - top, 22 * Scale(), 1.0);
    }
    EXPECT_TRUE(found);
}

TEST_P(ScaledScreen, DropDownListOpensUnderTheBoxAtTheWindowsScale) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(0, 50, 60), 0u);
    HeadlessDriver driver(main, ui.backend);
    ASSERT_TRUE(driver.Click("cbx_Time"));
    ASSERT_EQ(ui.backend.DropDowns().size(), 1u);
    const DropDownSpec& request = ui.backend.DropDowns().back();
    EXPECT_EQ(request.scale, Scale());
    EXPECT_EQ(request.anchor, main.ClientRectToScreen(main.FindChildByName("cbx_Time")->GetWindowRect()));
    EXPECT_NEAR(request.anchor.Width(), 78 * Scale(), 1.0);
}

INSTANTIATE_TEST_SUITE_P(Dpi, ScaledScreen, ::testing::Values(96, 120, 144, 192),
                         [](const ::testing::TestParamInfo<int>& info) { return "Dpi" + std::to_string(info.param); });

// The primary monitor at 96 DPI, a 2560 x 1440 one at 144 DPI to its left.
class TwoMonitors : public ::testing::Test {
protected:
    TwoMonitors() {
        ui.desktop.SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96},
                                {{-2560, 0, 0, 1440}, {-2560, 0, 0, 1400}, 144}});
    }
    UiFixture ui;
};

TEST_F(TwoMonitors, VirtualDesktopSpansBothWithNegativeCoordinates) {
    EXPECT_EQ(ui.desktop.VirtualDesktop(), (platform::Rect{-2560, 0, 1920, 1440}));
    EXPECT_EQ(ui.desktop.PrimaryScreenSize(), (platform::Size{1920, 1080}));
}

TEST_F(TwoMonitors, WindowMovedToTheOtherMonitorTakesItsScaleAndKeepsItsLayout) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(0, 100, 100), 0u);
    EXPECT_EQ(main.GetWindowRect().Width(), 400);
    main.MoveWindow({-2000, 200, -1600, 500});
    EXPECT_EQ(main.GetWindowRect(), (platform::Rect{-2000, 200, -1400, 650}));
    EXPECT_EQ(main.GetClientSize(), (platform::Size{400, 300}));
    const platform::Point corner = main.ClientToScreen({399, 299});
    EXPECT_EQ(corner, (platform::Point{-2000 + 599, 200 + 449}))  // rounded to the nearer pixel
        << "positions follow the new scale";
    EXPECT_EQ(main.ScreenToClient({-2000 + 599, 200 + 449}), (platform::Point{399, 299}));
    main.MoveWindow({100, 100, 700, 550});
    EXPECT_EQ(main.GetWindowRect(), (platform::Rect{100, 100, 500, 400})) << "and back to scale 1";
}

TEST_F(TwoMonitors, CentringStaysOnTheWindowsOwnMonitor) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(0, -2400, 100), 0u);
    main.CenterWindow();
    const platform::Rect frame = main.GetWindowRect();
    EXPECT_EQ(frame, (platform::Rect{-2560 + (2560 - 600) / 2, (1400 - 450) / 2, -2560 + (2560 - 600) / 2 + 600,
                                     (1400 - 450) / 2 + 450}));
    SHostWnd other("LAYOUT:XML_MAINWND");
    ASSERT_NE(other.Create(0, 50, 50), 0u);
    other.CenterWindow();
    EXPECT_EQ(other.GetWindowRect(), (platform::Rect{760, 370, 1160, 670})) << "the primary one's work area";
}

}  // namespace
}  // namespace zintra::ui::test
