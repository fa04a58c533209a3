// Window timers: each expiry posts WM_TIMER with the timer's id to its window.
// Setting a timer again replaces the pending one; periods below the system's
// 10 ms floor behave as 10 ms.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace zintra::ui {

class Timers {
public:
    virtual ~Timers() = default;
    virtual void SetTimer(platform::NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) = 0;
    virtual void KillTimer(platform::NativeWindow window, std::uintptr_t id) = 0;

    // While at least one precise section is open timers tick as finely as the
    // system can (1 ms on Windows instead of 15.6 ms). Sections nest.
    virtual void BeginPreciseTiming() = 0;
    virtual void EndPreciseTiming() = 0;
};

// One precise-timing section that is opened and closed at most once each, however
// often a run starts and stops.
class PreciseTimingSection {
public:
    PreciseTimingSection() = default;
    ~PreciseTimingSection() { End(); }
    PreciseTimingSection(const PreciseTimingSection&) = delete;
    PreciseTimingSection& operator=(const PreciseTimingSection&) = delete;

    void Begin(Timers& timers) {
        if (timers_ != nullptr) return;
        timers_ = &timers;
        timers_->BeginPreciseTiming();
    }
    void End() {
        if (timers_ == nullptr) return;
        timers_->EndPreciseTiming();
        timers_ = nullptr;
    }

private:
    Timers* timers_ = nullptr;  // while open
};

}  // namespace zintra::ui
