// Windows painted off-screen show their layout's colours and pictures where
// the layout puts them. With ZINTRA_SNAPSHOT_DIR set, the five windows are
// also written there as PNG files to look at.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/unit/ui/UiFixture.h"
#include "ui/controls/SProgress.h"
#include "sim/headless/WindowSnapshot.h"

namespace zintra::ui::test {
namespace {

std::uint32_t Rgb(const Bitmap& bitmap, int x, int y) { return bitmap.PixelAt(x, y) & 0xFFFFFF; }

TEST(Snapshot, MainWindowShowsItsBandsBorderAndCloseButton) {
    UiFixture ui;
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(), 0u);
    const auto picture = RenderWindow(main);
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->width, 400);
    ASSERT_EQ(picture->height, 300);
    EXPECT_EQ(Rgb(*picture, 0, 150), 0x000000u);      // the 1-pixel border
    EXPECT_EQ(Rgb(*picture, 150, 10), 0x015C5Du);     // caption band
    EXPECT_EQ(Rgb(*picture, 5, 100), 0x009A9Au);      // body
    EXPECT_EQ(Rgb(*picture, 5, 290), 0x015C5Du);      // footer
    // The close button's cross is drawn in white at its centre.
    const platform::Rect close = main.FindChildByName("btn_close")->GetWindowRect();
    EXPECT_EQ(Rgb(*picture, (close.left + close.right) / 2, (close.top + close.bottom) / 2), 0xFFFFFFu);
    // The interval box is white with its dark-teal arrow at the right.
    const platform::Rect box = main.FindChildByName("cbx_Time")->GetWindowRect();
    EXPECT_EQ(Rgb(*picture, box.left + 2, box.bottom - 3), 0xFFFFFFu);
}

TEST(Snapshot, HiddenPanelIsNotPaintedUntilShown) {
    UiFixture ui;
    SHostWnd update("LAYOUT:XML_UPDATE");
    ASSERT_NE(update.Create(), 0u);
    const platform::Rect bar = update.FindChildByName("UpProg")->GetWindowRect();
    const platform::Rect button = update.FindChildByName("btnUpdate")->GetWindowRect();
    auto before = RenderWindow(update);
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(Rgb(*before, button.left + 5, button.top + 5), 0x009A9Au);
    update.FindChildByName("upProgressWindow")->SetAttribute("show", "1");
    static_cast<SProgress*>(update.FindChildByName("UpProg"))->SetValue(50);
    auto after = RenderWindow(update);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(Rgb(*after, bar.left + 2, bar.top + 6), 0x009A9Au);     // filled half
    EXPECT_EQ(Rgb(*after, bar.right - 2, bar.top + 6), 0xE6E6E6u);    // empty half
    EXPECT_EQ(Rgb(*before, button.right - 5, button.bottom - 3), 0x009A9Au);
    EXPECT_EQ(Rgb(*after, button.right - 5, button.bottom - 3), 0xFFFFFFu);  // covered by the panel
}

TEST(Snapshot, WritesEveryWindowWhenAskedTo) {
    const char* directory = std::getenv("ZINTRA_SNAPSHOT_DIR");
    if (directory == nullptr) GTEST_SKIP() << "set ZINTRA_SNAPSHOT_DIR to write the pictures";
    UiFixture ui;
    for (const char* layout : {"XML_MAINWND", "XML_SETTING", "XML_CUSTOM", "XML_CUSTOMTIME", "XML_UPDATE"}) {
        SHostWnd host(std::string("LAYOUT:") + layout);
        ASSERT_NE(host.Create(), 0u) << layout;
        EXPECT_TRUE(SaveWindowPng(host, std::string(directory) + "/" + layout + ".png")) << layout;
    }
}

}  // namespace
}  // namespace zintra::ui::test
