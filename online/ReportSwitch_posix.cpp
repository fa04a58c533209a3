#include <cstring>

#include "base/ProgramKey.h"
#include "online/ReportSwitch.h"

namespace zintra {

bool ReportsSwitchedOff(platform::Registry& registry, const char* doNotTrack) {
    if (doNotTrack != nullptr && *doNotTrack != '\0' && std::strcmp(doNotTrack, "0") != 0) return true;
    platform::ScopedRegistryKey key(registry);
    // Only an existing key is looked at: asking must not create the store.
    if (registry.OpenKey(platform::RegistryRoot::CurrentUser, kProgramKeyPath, key.Receive()) !=
        platform::reg::kSuccess) {
        return false;
    }
    std::uint32_t value = 1;
    std::uint32_t type = 0;
    std::uint32_t size = sizeof(value);
    if (registry.QueryValue(key.Get(), kUsageReportsValue, &type, &value, &size) != platform::reg::kSuccess) {
        return false;
    }
    return type == platform::reg::kDword && size == sizeof(value) && value == 0;
}

bool StoreReportsSwitch(platform::Registry& registry, bool on) {
    platform::ScopedRegistryKey key(registry);
    if (!OpenProgramKey(registry, key)) return false;
    const std::uint32_t value = on ? 1 : 0;
    if (registry.SetValue(key.Get(), kUsageReportsValue, platform::reg::kDword, &value, sizeof(value)) !=
        platform::reg::kSuccess) {
        return false;
    }
    registry.FlushKey(key.Get());
    return true;
}

}  // namespace zintra
