#include "platform/linux/LinuxClock.h"

#include <ctime>

namespace zintra::platform::linux_x11 {

std::uint64_t LinuxClock::MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec / 1000000);
}

std::int64_t LinuxClock::CalendarTime() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::int64_t LinuxClock::LocalMidnight(std::int64_t calendarTime) {
    const std::time_t t = static_cast<std::time_t>(calendarTime);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) return calendarTime;
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

}  // namespace zintra::platform::linux_x11
