// Whether usage reports may go out. On Linux a user turns them off for good
// with a value in the store ("zintra --no-reports" writes it), or for a session
// with the DO_NOT_TRACK environment variable; every report checks both before
// anything is read or sent. The Windows program has no such switch.
#pragma once

#include "platform/Platform.h"

namespace zintra {

// The store value under the program's key: REG_DWORD 0 turns reports off;
// missing or any other number leaves them on.
inline constexpr char16_t kUsageReportsValue[] = u"UsageReports";

// True when no report may be sent: the store says so, or `doNotTrack` (the
// value of DO_NOT_TRACK, null when unset) is set to anything but "" or "0".
bool ReportsSwitchedOff(platform::Registry& registry, const char* doNotTrack);

// Stores the switch; false when the store cannot be written (or, on Windows,
// where there is no switch).
bool StoreReportsSwitch(platform::Registry& registry, bool on);

}  // namespace zintra
