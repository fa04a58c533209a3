// The program's per-user registry key, opened the one way every user of it
// does: open with full access, create it when that fails.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Registry.h"

namespace zintra {

inline constexpr char16_t kProgramKeyPath[] = u"SOFTWARE\\ZintraMouse";

// Returns false when the key can be neither opened nor created.
bool OpenProgramKey(platform::Registry& registry, platform::ScopedRegistryKey& key);

// A REG_DWORD under the program's key; nothing when the key or the value is
// missing or not a DWORD. Only looks: a missing key is not created.
std::optional<std::uint32_t> ReadProgramDword(platform::Registry& registry, const char16_t* name);
// Writes and flushes a REG_DWORD under the program's key; false when it cannot.
bool StoreProgramDword(platform::Registry& registry, const char16_t* name, std::uint32_t value);

}  // namespace zintra
