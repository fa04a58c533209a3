// On Windows the toolkit's messages go to the debugger output, as the only
// diagnostic the program produces.
#include "platform/win32/WindowsApi.h"

#include "ui/core/Log.h"

namespace zintra::ui {

void WriteDebugOutput(const std::string& message) {
    const std::string line = message + "\n";
    OutputDebugStringA(line.c_str());
}

}  // namespace zintra::ui
