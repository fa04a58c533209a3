// The program's portable entry: everything after the platform is installed.
#pragma once

#include <string_view>

#include "app/StartupRecords.h"

namespace zintra {

namespace ui {
class Backend;
}

// Held by the running instance for as long as it runs.
inline constexpr char16_t kSingleInstanceMutex[] = u"{21087290-410E-487B-9C9A-1389B134A79E}";

// Runs the program with the toolkit on `backend`. `background` runs the daily
// record; tests run it where they can wait for it.
int RunProgram(std::u16string_view commandLine, ui::Backend& backend,
               const BackgroundRunner& background = RunOnDetachedThread);

}  // namespace zintra
