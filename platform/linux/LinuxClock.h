// The clock on Linux: the monotonic clock for measuring, the C library's
// calendar and time zone for the daily records.
#pragma once

#include "platform/Clock.h"

namespace zintra::platform::linux_x11 {

class LinuxClock final : public Clock {
public:
    std::uint64_t MonotonicMilliseconds() override;
    std::int64_t CalendarTime() override;
    std::int64_t LocalMidnight(std::int64_t calendarTime) override;
};

}  // namespace zintra::platform::linux_x11
