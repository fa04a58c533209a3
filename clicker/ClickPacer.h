// Keeps a run's clicks on a fixed grid: the n-th tick is due at start + n ×
// period, so lateness in delivering one tick is not added to the next.
// A repeating window timer already keeps its phase (Windows and Wine both
// schedule its next expiry from the previous one and drop expiries that were
// missed), so the pacer leaves a timer running on the grid alone and asks for
// a re-arm only when the period changes or a tick came late off a shortened
// timer. It says how long to arm the timer for; it never touches a timer.
#pragma once

#include <cstdint>
#include <optional>

namespace zintra {

// The shortest and longest periods a window timer takes (USER_TIMER_MINIMUM
// and USER_TIMER_MAXIMUM): shorter requests behave as the floor.
inline constexpr std::uint32_t kTimerFloorMilliseconds = 10;
inline constexpr std::uint32_t kTimerCeilingMilliseconds = 0x7FFFFFFF;

class ClickPacer {
public:
    // The first tick of a run happens at `now`. Returns the period to arm the
    // repeating timer with (`period` as asked; the platform applies its floor).
    std::uint32_t Start(std::uint64_t now, std::uint32_t period);

    // A tick was handled at `now` and the next period is `period`. Returns the
    // milliseconds to re-arm the timer with, or nothing when the timer that
    // runs already fires on the grid. A tick so late that later ones were
    // missed is not made up for: the next one is the first on the grid after now.
    std::optional<std::uint32_t> Tick(std::uint64_t now, std::uint32_t period);

    // When the next tick is due.
    std::uint64_t NextDue() const { return due_; }

    // A period as the platform's timer runs it: never below the floor.
    static std::uint64_t Step(std::uint32_t period);

private:
    // Arms a repeating timer at `now`: the grid starts again there.
    std::uint32_t ArmRepeating(std::uint64_t now, std::uint32_t period);

    std::uint64_t due_ = 0;
    std::uint64_t step_ = kTimerFloorMilliseconds;
    // The armed timer repeats with step_ and its expiries fall on the grid.
    bool repeatingOnGrid_ = false;
};

}  // namespace zintra
