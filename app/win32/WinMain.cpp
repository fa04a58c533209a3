// The Windows entry: installs the real platform and toolkit backend and hands
// over to the program.
#include "platform/win32/WindowsApi.h"

#include <string>

#include "app/Program.h"
#include "platform/win32/Win32Platform.h"
#include "ui/win32/Win32Backend.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    // Never destroyed: the daily-run thread may still use it while the process ends.
    auto* platform = new zintra::platform::win32::Win32Platform;
    zintra::platform::SetCurrent(platform);
    const std::u16string line = commandLine != nullptr ? reinterpret_cast<const char16_t*>(commandLine) : u"";
    zintra::ui::Win32Backend backend;
    return zintra::RunProgram(line, backend);
}
