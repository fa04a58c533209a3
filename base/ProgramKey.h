// The program's per-user registry key, opened the one way every user of it
// does: open with full access, create it when that fails.
#pragma once

#include "platform/Registry.h"

namespace zintra {

inline constexpr char16_t kProgramKeyPath[] = u"SOFTWARE\\ZintraMouse";

// Returns false when the key can be neither opened nor created.
bool OpenProgramKey(platform::Registry& registry, platform::ScopedRegistryKey& key);

}  // namespace zintra
