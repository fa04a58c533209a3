#include "online/ReportSwitch.h"

namespace zintra {

bool ReportsSwitchedOff(platform::Registry&, const char*) { return false; }

bool StoreReportsSwitch(platform::Registry&, bool) { return false; }

}  // namespace zintra
