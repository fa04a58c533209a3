#include <cstring>

#include "base/ProgramKey.h"
#include "online/ReportSwitch.h"

namespace zintra {

bool ReportsSwitchedOff(platform::Registry& registry, const char* doNotTrack) {
    if (doNotTrack != nullptr && *doNotTrack != '\0' && std::strcmp(doNotTrack, "0") != 0) return true;
    // Only an existing key is looked at: asking must not create the store.
    return ReadProgramDword(registry, kUsageReportsValue) == 0u;
}

bool StoreReportsSwitch(platform::Registry& registry, bool on) {
    return StoreProgramDword(registry, kUsageReportsValue, on ? 1 : 0);
}

}  // namespace zintra
