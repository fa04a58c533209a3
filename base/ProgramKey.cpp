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

}  // namespace zintra
