// The pacer keeps ticks on the run's grid: start + n × period.
#include <gtest/gtest.h>

#include "clicker/ClickPacer.h"

namespace zintra {
namespace {

TEST(ClickPacer, RepeatingTimerOnTheGridIsLeftAloneWhateverTheLateness) {
    ClickPacer pacer;
    EXPECT_EQ(pacer.Start(1000, 100), 100u);
    EXPECT_EQ(pacer.NextDue(), 1100u);
    EXPECT_EQ(pacer.Tick(1103, 100), std::nullopt);
    EXPECT_EQ(pacer.NextDue(), 1200u) << "counted from the tick that was due, not from its arrival";
    EXPECT_EQ(pacer.Tick(1209, 100), std::nullopt);
    EXPECT_EQ(pacer.NextDue(), 1300u);
}

TEST(ClickPacer, VeryLateTickIsFollowedByTheNextOnTheGridNotByABurst) {
    ClickPacer pacer;
    pacer.Start(0, 10);
    EXPECT_EQ(pacer.Tick(10, 10), std::nullopt);
    // Due at 20, delivered 50 ms late: the four ticks missed meanwhile are gone.
    EXPECT_EQ(pacer.Tick(70, 10), std::nullopt);
    EXPECT_EQ(pacer.NextDue(), 80u);
    EXPECT_EQ(pacer.Tick(80, 10), std::nullopt);
    EXPECT_EQ(pacer.NextDue(), 90u);
}

TEST(ClickPacer, ChangedPeriodCountsFromTheTickThatWasDue) {
    ClickPacer pacer;
    pacer.Start(0, 100);
    // Due at 100, arriving 3 ms late, with a new period: a shortened wait to 300.
    EXPECT_EQ(pacer.Tick(103, 200), 197u);
    EXPECT_EQ(pacer.NextDue(), 300u);
    // That one-off timer repeats at 197 ms, off the grid: shortened again.
    EXPECT_EQ(pacer.Tick(302, 200), 198u);
    EXPECT_EQ(pacer.NextDue(), 500u);
    // On time: a repeating timer of the period as asked, left alone afterwards.
    EXPECT_EQ(pacer.Tick(500, 200), 200u);
    EXPECT_EQ(pacer.Tick(701, 200), std::nullopt);
    EXPECT_EQ(pacer.NextDue(), 900u);
}

TEST(ClickPacer, VeryLateTickWithANewPeriodWaitsForTheGridAfterNow) {
    ClickPacer pacer;
    pacer.Start(0, 1000);
    // Due at 1000, handled at 1450 with 100 ms periods from there: 1500 is next.
    EXPECT_EQ(pacer.Tick(1450, 100), 50u);
    EXPECT_EQ(pacer.NextDue(), 1500u);
}

TEST(ClickPacer, NeverAsksForLessThanTheTimersFloor) {
    ClickPacer pacer;
    pacer.Start(0, 100);
    // The next grid point would be 7 ms away, shorter than any timer waits:
    // the grid moves to start again at this tick.
    EXPECT_EQ(pacer.Tick(105, 12), 12u);
    EXPECT_EQ(pacer.NextDue(), 117u);

    // Below the floor the grid runs at the floor, the period still asked as given.
    ClickPacer fast;
    EXPECT_EQ(fast.Start(0, 1), 1u);
    EXPECT_EQ(fast.NextDue(), 10u);
    EXPECT_EQ(fast.Tick(11, 0), std::nullopt) << "0 and 1 ms both run at the floor";
    EXPECT_EQ(fast.NextDue(), 20u);
}

TEST(ClickPacer, EarlyTickStandsForTheOneItWasArmedFor) {
    ClickPacer pacer;
    pacer.Start(0, 100);
    EXPECT_EQ(pacer.Tick(99, 100), std::nullopt);
    EXPECT_EQ(pacer.NextDue(), 200u);
    EXPECT_EQ(pacer.Tick(199, 300), 301u) << "the new period counts from 200";
}

TEST(ClickPacer, LongestPeriodsStayWithinTheTimersRange) {
    ClickPacer pacer;
    EXPECT_EQ(pacer.Start(5, 0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(pacer.NextDue(), 5u + kTimerCeilingMilliseconds);
}

}  // namespace
}  // namespace zintra
