// Time as the program needs it: a monotonic millisecond count for measuring,
// and calendar time for the daily records.
#pragma once

#include <cstdint>

namespace zintra::platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; never goes backwards.
    virtual std::uint64_t MonotonicMilliseconds() = 0;
    // Seconds since 1970-01-01 00:00 UTC.
    virtual std::int64_t CalendarTime() = 0;
    // The local midnight that starts the day containing the given time.
    virtual std::int64_t LocalMidnight(std::int64_t calendarTime) = 0;
};

}  // namespace zintra::platform
