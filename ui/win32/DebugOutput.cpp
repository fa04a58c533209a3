// On Windows the toolkit's messages go to the debugger output, as the only
// diagnostic the program produces. Part of the core library (its log sink of
// last resort), which cannot see platform/win32: the system header directly.
#include <windows.h>

#include "ui/core/Log.h"

namespace zintra::ui {

void WriteDebugOutput(const std::string& message) {
    const std::string line = message + "\n";
    OutputDebugStringA(line.c_str());
}

}  // namespace zintra::ui
