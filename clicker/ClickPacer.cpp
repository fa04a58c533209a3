#include "clicker/ClickPacer.h"

#include <algorithm>

namespace zintra {

std::uint64_t ClickPacer::Step(std::uint32_t period) {
    return std::clamp(period, kTimerFloorMilliseconds, kTimerCeilingMilliseconds);
}

std::uint32_t ClickPacer::Start(std::uint64_t now, std::uint32_t period) { return ArmRepeating(now, period); }

std::optional<std::uint32_t> ClickPacer::Tick(std::uint64_t now, std::uint32_t period) {
    // The grid point this tick stands for: the one it was armed for when it
    // came early (timers round), else the last one that has passed, so a very
    // late tick stands for the latest of the ticks it replaces.
    std::uint64_t handled = due_;
    if (now > due_) handled += (now - due_) / step_ * step_;

    const std::uint64_t step = Step(period);
    if (step == step_ && repeatingOnGrid_) {
        due_ = handled + step_;
        return std::nullopt;  // the running timer's next expiry is on the grid
    }

    std::uint64_t next = handled + step;
    if (next <= now) next += ((now - next) / step + 1) * step;
    const std::uint64_t delay = next - now;
    // On time, or too close for the timer's floor: a repeating timer from now
    // (the grid moves by this tick's lateness once, instead of every tick).
    if (delay == step || delay < kTimerFloorMilliseconds) return ArmRepeating(now, period);

    // Late (or early) off a timer that is not on the grid: a wait of its own
    // brings the next tick back onto it.
    due_ = next;
    step_ = step;
    repeatingOnGrid_ = false;
    return static_cast<std::uint32_t>(delay);
}

std::uint32_t ClickPacer::ArmRepeating(std::uint64_t now, std::uint32_t period) {
    step_ = Step(period);
    due_ = now + step_;
    repeatingOnGrid_ = true;
    return period;
}

}  // namespace zintra
