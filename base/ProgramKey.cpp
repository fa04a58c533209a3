#include "base/ProgramKey.h"

namespace zintra {

bool OpenProgramKey(platform::Registry& registry, platform::ScopedRegistryKey& key) {
    using platform::RegistryRoot;
    if (registry.OpenKey(RegistryRoot::CurrentUser, kProgramKeyPath, key.Receive()) == platform::reg::kSuccess &&
        key) {
        return true;
    }
    return registry.CreateKey(RegistryRoot::CurrentUser, kProgramKeyPath, key.Receive()) ==
               platform::reg::kSuccess &&
           static_cast<bool>(key);
}

std::optional<std::uint32_t> ReadProgramDword(platform::Registry& registry, const char16_t* name) {
    platform::ScopedRegistryKey key(registry);
    if (registry.OpenKey(platform::RegistryRoot::CurrentUser, kProgramKeyPath, key.Receive()) !=
        platform::reg::kSuccess) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    std::uint32_t type = 0;
    std::uint32_t size = sizeof(value);
    if (registry.QueryValue(key.Get(), name, &type, &value, &size) != platform::reg::kSuccess ||
        type != platform::reg::kDword || size != sizeof(value)) {
        return std::nullopt;
    }
    return value;
}

bool StoreProgramDword(platform::Registry& registry, const char16_t* name, std::uint32_t value) {
    platform::ScopedRegistryKey key(registry);
    if (!OpenProgramKey(registry, key)) return false;
    if (registry.SetValue(key.Get(), name, platform::reg::kDword, &value, sizeof(value)) !=
        platform::reg::kSuccess) {
        return false;
    }
    registry.FlushKey(key.Get());
    return true;
}

}  // namespace zintra
