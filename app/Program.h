// The program's portable entry: everything after the platform is installed.
#pragma once

#include <string_view>

namespace zintra {

// Held by the running instance for as long as it runs.
inline constexpr char16_t kSingleInstanceMutex[] = u"{21087290-410E-487B-9C9A-1389B134A79E}";

int RunProgram(std::u16string_view commandLine);

}  // namespace zintra
