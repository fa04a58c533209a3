// The program's portable entry: everything after the platform is installed.
#pragma once

#include <string_view>

namespace zintra {

int RunProgram(std::u16string_view commandLine);

}  // namespace zintra
