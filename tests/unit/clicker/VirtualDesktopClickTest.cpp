// Fixed positions over the whole virtual desktop: with a monitor left of the
// primary one, clicks land on the picked point on every monitor; with one
// monitor the events are those of the primary screen, as they always were.
#include <gtest/gtest.h>

#include "clicker/ClickEngine.h"
#include "platform/Messages.h"
#include "sim/SimDesktop.h"

namespace zintra {
namespace {

class VirtualDesktopClicks : public ::testing::Test {
protected:
    VirtualDesktopClicks() {
        desktop.SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96},
                             {{-2560, -200, 0, 1240}, {-2560, -200, 0, 1200}, 144}});
    }
    // What the system does with the events: where the pointer ends up.
    platform::Point LandsAt(platform::Point target) {
        ClickSettings settings;
        settings.useFixedPos = 1;
        platform::MouseEvent events[3];
        BuildClickEvents(settings, target, InputScreen::Of(desktop), events);
        desktop.SendMouseEvents(events, 3);
        return desktop.CursorPosition();
    }
    sim::SimDesktop desktop;
};

TEST_F(VirtualDesktopClicks, PointsOnEitherMonitorAreHitExactly) {
    for (const platform::Point target : {platform::Point{-300, 500}, platform::Point{-2560, -200},
                                         platform::Point{-1, 1239}, platform::Point{0, 0},
                                         platform::Point{1919, 1079}, platform::Point{1000, 540}}) {
        EXPECT_EQ(LandsAt(target), target) << target.x << "," << target.y;
    }
}

TEST_F(VirtualDesktopClicks, EventsAreNormalisedOverTheVirtualDesktop) {
    ClickSettings settings;
    settings.useFixedPos = 1;
    platform::MouseEvent events[3];
    BuildClickEvents(settings, {-2560, -200}, InputScreen::Of(desktop), events);
    EXPECT_EQ(events[0].flags, msg::kMouseEventAbsolute | msg::kMouseEventMove | msg::kMouseEventVirtualDesk);
    EXPECT_EQ(events[0].dx, 0);
    EXPECT_EQ(events[0].dy, 0);
    EXPECT_EQ(events[1].flags, msg::kMouseEventLeftDown) << "button events carry no position flags";
    EXPECT_EQ(events[2].flags, msg::kMouseEventLeftUp);
    // The trial click of the count test is positioned the same way, without a move.
    BuildTrialClickEvents(1, {-300, 500}, InputScreen::Of(desktop), events);
    EXPECT_EQ(events[0].flags, msg::kMouseEventAbsolute | msg::kMouseEventVirtualDesk);
    EXPECT_EQ(events[1].flags, msg::kMouseEventRightDown);
}

TEST_F(VirtualDesktopClicks, OffTheDesktopIsClampedToItsEdge) {
    EXPECT_EQ(LandsAt({-9000, 5000}), (platform::Point{-2560, 1239}));
    EXPECT_EQ(NormaliseOverDesktop(5, 0, 0), 0) << "a failed metrics call must not divide by zero";
}

TEST(SingleMonitorClicks, EventsStayThoseOfThePrimaryScreen) {
    sim::SimDesktop desktop;
    desktop.SetScreenSize({1920, 1080});
    ClickSettings settings;
    settings.useFixedPos = 1;
    platform::MouseEvent events[3];
    BuildClickEvents(settings, {1919, 5}, InputScreen::Of(desktop), events);
    EXPECT_EQ(events[0].flags, msg::kMouseEventAbsolute | msg::kMouseEventMove);
    EXPECT_EQ(events[0].dx, NormaliseCoordinate(1919, 1920));
    EXPECT_EQ(events[0].dy, NormaliseCoordinate(5, 1080));
    // A failed desktop query falls back to the primary screen too.
    EXPECT_FALSE((InputScreen{{1920, 1080}, {}}).SpansMoreThanPrimary());
    EXPECT_TRUE((InputScreen{{1920, 1080}, {0, 0, 3840, 1080}}).SpansMoreThanPrimary()) << "a monitor to the right";
}

TEST(DesktopNormalisation, FarEdgesOfWideDesktopsMapBack) {
    for (const int width : {1024, 1920, 2561, 5120, 7680, 16384}) {
        for (const int offset : {0, 1, width / 2, width - 2, width - 1}) {
            const std::int64_t value = NormaliseOverDesktop(offset - 100, -100, width);
            EXPECT_LE(value, 65535);
            EXPECT_EQ(value * width / 65536, offset) << "width " << width;
        }
    }
}

}  // namespace
}  // namespace zintra
