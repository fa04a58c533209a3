// The program's entry in the per-user Run key, which starts it hidden at
// log-on. The settings window is its only reader and writer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "platform/Registry.h"

namespace zintra {

inline constexpr char16_t kRunKeyPath[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char16_t kAutoRunValue[] = u"ZintraMouseAuto";

// "\"<path>\" -auto". The path is taken whole however long it is: a cut
// command line would start nothing.
std::u16string AutoRunCommandLine(std::u16string_view executablePath);

// Whether the Run key holds a non-empty entry of ours (whatever it points
// at); nothing when the Run key cannot be opened.
std::optional<bool> QueryAutoRunEntry(platform::Registry& registry);

// Writes the entry as REG_SZ and flushes the key; false when the Run key
// cannot be opened (it is never created) or the write fails.
bool WriteAutoRunEntry(platform::Registry& registry, std::u16string_view executablePath);

// Deletes the entry; a missing entry is left missing.
void RemoveAutoRunEntry(platform::Registry& registry);

// The same three for the running program wherever its system keeps the
// entry: the desktop's autostart entry where the platform has one (which
// counts as ours only when it starts this very program), else the Run value.
std::optional<bool> QueryStartWithSystem(platform::Platform& platform);
bool WriteStartWithSystem(platform::Platform& platform);
void RemoveStartWithSystem(platform::Platform& platform);

}  // namespace zintra
