#include <gtest/gtest.h>

#include "ui/x11/MonitorLayout.h"

namespace zintra::ui {
namespace {

using platform::Point;
using platform::Rect;

constexpr Rect kLeft{0, 0, 1920, 1080};
constexpr Rect kRight{1920, 0, 3840, 1080};
constexpr Rect kWide{0, 0, 3840, 1080};

TEST(MonitorLayout, MonitorsAreCutToTheScreenAndTheScreenStandsInForNone) {
    // One left of the origin shows nothing; one half off the right edge shows its half.
    const MonitorLayout cut({{{-1920, 0, 0, 1080}, true}, {{1000, 0, 2920, 1080}, false}}, {0, 0, 1920, 1080});
    ASSERT_EQ(cut.Monitors().size(), 1u);
    EXPECT_EQ(cut.Monitors()[0].bounds, (Rect{1000, 0, 1920, 1080}));
    // The primary flag went with the monitor that showed nothing: the first one left stands in.
    EXPECT_EQ(cut.Primary().bounds, (Rect{1000, 0, 1920, 1080}));

    const MonitorLayout none({}, kWide);
    ASSERT_EQ(none.Monitors().size(), 1u);
    EXPECT_EQ(none.Primary().bounds, kWide);
    EXPECT_TRUE(none.Primary().primary);
}

TEST(MonitorLayout, PointsAndWindowsFindTheirMonitor) {
    const MonitorLayout layout({{kLeft, false}, {kRight, true}}, kWide);
    EXPECT_EQ(layout.Primary().bounds, kRight);
    EXPECT_EQ(layout.At({1919, 500}).bounds, kLeft);
    EXPECT_EQ(layout.At({1920, 500}).bounds, kRight);
    // A window across the seam belongs where most of it is.
    EXPECT_EQ(layout.Of({1800, 100, 2200, 400}).bounds, kRight);
    EXPECT_EQ(layout.Of({1600, 100, 2000, 400}).bounds, kLeft);
    EXPECT_TRUE(layout.Shows({3800, 1000, 4200, 1300}));
    EXPECT_FALSE(layout.Shows({3840, 0, 4240, 300}));
}

TEST(MonitorLayout, OutsideEveryMonitorTheNearestIsChosen) {
    // Two monitors with a gap between them and nothing below the short one.
    const Rect shortLeft{0, 0, 1280, 720};
    const Rect far{1920, 0, 3840, 1080};
    const MonitorLayout layout({{shortLeft, true}, {far, false}}, {0, 0, 3840, 1080});
    EXPECT_EQ(layout.At({1500, 100}).bounds, shortLeft);  // 221 pixels from it, 420 from the other
    EXPECT_EQ(layout.At({1700, 100}).bounds, far);
    EXPECT_EQ(layout.At({1000, 1000}).bounds, shortLeft);  // below it
    EXPECT_EQ(layout.At({1550, 1000}).bounds, far);  // farther across than the short one, nearer with its height
    // A window on neither goes by its centre.
    EXPECT_EQ(layout.Of({1300, 800, 1700, 1000}).bounds, shortLeft);
    EXPECT_EQ(layout.Of({1500, 100, 1900, 300}).bounds, far);
}

TEST(MonitorLayout, TheWorkAreaIsTheDesktopsCutToTheMonitor) {
    const Monitor right{kRight, false};
    // A panel along the top of the whole desktop and one on the right edge.
    EXPECT_EQ(MonitorLayout::WorkAreaOn(right, Rect{0, 30, 3790, 1080}), (Rect{1920, 30, 3790, 1080}));
    EXPECT_EQ(MonitorLayout::WorkAreaOn(right, std::nullopt), kRight);
    // A work area that misses the monitor says nothing about it.
    EXPECT_EQ(MonitorLayout::WorkAreaOn(right, kLeft), kRight);
}

}  // namespace
}  // namespace zintra::ui
