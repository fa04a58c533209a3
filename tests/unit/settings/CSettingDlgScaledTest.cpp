// The settings window on scaled monitors and on a second monitor: the count
// test's pointer check and the crosshair work in screen pixels, so they hold
// wherever the window is and however large its monitor draws it.
#include "clicker/ClickEngine.h"
#include "tests/unit/settings/SettingsFixture.h"
#include "ui/core/ScreenScale.h"

namespace zintra::test {
namespace {

class ScaledSettings : public SettingsWindow, public ::testing::WithParamInterface<int> {
protected:
    ScaledSettings() {
        const double scale = ui::ScaleOfDpi(GetParam());
        const int width = ui::PixelOfUnit(1920, scale);
        const int height = ui::PixelOfUnit(1080, scale);
        ui.desktop.SetMonitors({{{0, 0, width, height}, {0, 0, width, height - 60}, GetParam()}});
        settings.limitCount = 2;
        settings.useFixedPos = 1;
    }
    double Scale() const { return ui::ScaleOfDpi(GetParam()); }
    // Where the window's pixels start, and a layout position's first pixel.
    platform::Point Pixel(platform::Point client) const {
        const platform::Rect frame = dialog->GetWindowRect();
        return {frame.left + ui::PixelOfUnit(client.x, Scale()), frame.top + ui::PixelOfUnit(client.y, Scale())};
    }
    void PressHotkey() { ASSERT_TRUE(ui.desktop.PressHotKey(settings.hotkeyModifiers, settings.hotkeyVk)); }
};

TEST_P(ScaledSettings, WindowIsCentredInPixels) {
    Open([&](HeadlessDriver&) {
        const platform::Rect frame = dialog->GetWindowRect();
        EXPECT_EQ(frame.Width(), ui::PixelOfUnit(500, Scale()));
        EXPECT_EQ(frame.Height(), ui::PixelOfUnit(560, Scale()));
        const platform::Rect area = ui.desktop.Monitors().front().workArea;
        EXPECT_LE(std::abs((frame.left - area.left) - (area.right - frame.right)), 1);
        EXPECT_LE(std::abs((frame.top - area.top) - (area.bottom - frame.bottom)), 1);
    });
}

TEST_P(ScaledSettings, CountTestStartsOverEveryPixelOfTheTestButtonOnly) {
    Open([&](HeadlessDriver& driver) {
        const platform::Rect button = driver.State("btn_test")->rect;
        const platform::Point first = Pixel({button.left, button.top});
        const platform::Point end = Pixel({button.right, button.bottom});
        // The button's last pixel: beyond the unscaled rectangle whenever the scale is above 1.
        ui.desktop.MoveCursor({end.x - 1, end.y - 1});
        PressHotkey();
        EXPECT_TRUE(dialog->TestRunning());
        PressHotkey();
        EXPECT_FALSE(dialog->TestRunning());
        for (const platform::Point outside : {platform::Point{end.x, first.y}, platform::Point{first.x, end.y},
                                              platform::Point{first.x - 1, first.y}}) {
            ui.desktop.MoveCursor(outside);
            PressHotkey();
            EXPECT_FALSE(dialog->TestRunning()) << outside.x << "," << outside.y;
        }
        ui.desktop.MoveCursor(first);
        ui.desktop.ClearSentEvents();
        PressHotkey();
        EXPECT_TRUE(dialog->TestRunning());
        ASSERT_FALSE(ui.desktop.SentEvents().empty());
        // The click goes where the pointer is, over the primary screen as always.
        const platform::Size screen = ui.desktop.PrimaryScreenSize();
        EXPECT_EQ(ui.desktop.SentEvents().front().dx, first.x * 65536 / screen.width);
    });
}

TEST_P(ScaledSettings, CrosshairPicksThePointersOwnPixel) {
    Open([&](HeadlessDriver& driver) {
        const platform::Rect crosshair = dialog->CrosshairRect();
        const platform::Point press{crosshair.left + 10, crosshair.top + 10};
        ui.desktop.MoveCursor(Pixel(press));
        driver.LeftButtonDown(press);
        driver.MouseMove(press);
        EXPECT_EQ(Text(driver, "edt_posX"), IntegerText(Pixel(press).x));
        EXPECT_EQ(Text(driver, "edt_posY"), IntegerText(Pixel(press).y));
        // Far outside the window, on the last pixel of a layout unit.
        const platform::Point client{press.x + 300, press.y + 200};
        const platform::Point pointer{Pixel({client.x + 1, client.y + 1}).x - 1, Pixel({client.x + 1, client.y + 1}).y - 1};
        ui.desktop.MoveCursor(pointer);
        driver.MouseMove(client);
        EXPECT_EQ(Text(driver, "edt_posX"), IntegerText(pointer.x));
        EXPECT_EQ(Text(driver, "edt_posY"), IntegerText(pointer.y));
        ASSERT_TRUE(ui.backend.Drag() && ui.backend.Drag()->topLeft);
        EXPECT_EQ(*ui.backend.Drag()->topLeft, (platform::Point{pointer.x - 10, pointer.y - 10}));
        // A message whose point is not where the pointer is: the unit's first pixel.
        ui.desktop.MoveCursor({0, 0});
        driver.MouseMove(client);
        EXPECT_EQ(Text(driver, "edt_posX"), IntegerText(Pixel(client).x));
        driver.LeftButtonUp(client);
    });
}

INSTANTIATE_TEST_SUITE_P(Dpi, ScaledSettings, ::testing::Values(96, 144, 192),
                         [](const ::testing::TestParamInfo<int>& info) { return "Dpi" + std::to_string(info.param); });

class SettingsOnTwoMonitors : public SettingsWindow {
protected:
    SettingsOnTwoMonitors() {
        ui.desktop.SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96},
                                {{-2560, -200, 0, 1240}, {-2560, -200, 0, 1200}, 144}});
        settings.useFixedPos = 1;
    }
};

TEST_F(SettingsOnTwoMonitors, PointPickedOnTheLeftMonitorIsClickedThere) {
    Open([&](HeadlessDriver& driver) {
        const platform::Rect crosshair = dialog->CrosshairRect();
        const platform::Point press{crosshair.left + 10, crosshair.top + 10};
        driver.LeftButtonDown(press);
        driver.MouseMove(press);
        const platform::Point target{-1234, -150};
        const platform::Point client = dialog->ScreenToClient(target);
        ui.desktop.MoveCursor(target);
        driver.MouseMove(client);
        driver.LeftButtonUp(client);
        EXPECT_EQ(Text(driver, "edt_posX"), u"-1234");
        EXPECT_EQ(Text(driver, "edt_posY"), u"-150");
        ASSERT_TRUE(driver.Click("btn_sure"));
    });
    EXPECT_EQ(settings.posX, -1234);
    EXPECT_EQ(settings.posY, -150);
    // The click engine then lands there, not on the edge of the primary screen.
    platform::MouseEvent events[3];
    BuildClickEvents(settings, {settings.posX, settings.posY}, InputScreen::Of(ui.desktop), events);
    ui.desktop.SendMouseEvents(events, 3);
    EXPECT_EQ(ui.desktop.CursorPosition(), (platform::Point{-1234, -150}));
}

}  // namespace
}  // namespace zintra::test
