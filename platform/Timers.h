// Window timers: each expiry posts WM_TIMER with the timer's id to its window.
// Setting a timer again replaces the pending one; periods below the platform's
// 10 ms floor behave as 10 ms.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace zintra::platform {

class Timers {
public:
    virtual ~Timers() = default;
    virtual void SetTimer(NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) = 0;
    virtual void KillTimer(NativeWindow window, std::uintptr_t id) = 0;

    // While at least one precise section is open the platform ticks timers as
    // finely as it can (1 ms on Windows instead of 15.6 ms). Sections nest.
    virtual void BeginPreciseTiming() = 0;
    virtual void EndPreciseTiming() = 0;
};

}  // namespace zintra::platform
