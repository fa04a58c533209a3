// The X11 backend's repeating timers keep their phase, which the click pacer
// counts on: a late expiry does not push back every later one.
#include <gtest/gtest.h>

#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {
namespace {

TEST(X11Timer, NextExpiryCountsFromTheOneThatWasDueNotFromItsDelivery) {
    // Due at 1000, period 100, delivered 3 late, then 9 late: the grid holds.
    EXPECT_EQ(NextTimerDue(1000, 100, 1003), 1100u);
    EXPECT_EQ(NextTimerDue(1100, 100, 1109), 1200u);
    EXPECT_EQ(NextTimerDue(1200, 100, 1200), 1300u) << "on time";
}

TEST(X11Timer, ExpiriesMissedWhileLateAreDroppedNotMadeUpInABurst) {
    // Due at 1000 and delivered 250 late: 1100 and 1200 have passed; the next is 1300.
    EXPECT_EQ(NextTimerDue(1000, 100, 1250), 1300u);
    // Delivered just when the next was due: this delivery stands for it, not a second one at once.
    EXPECT_EQ(NextTimerDue(1000, 100, 1100), 1200u);
    EXPECT_EQ(NextTimerDue(1000, 100, 1099), 1100u);
}

}  // namespace
}  // namespace zintra::ui
