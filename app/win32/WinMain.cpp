// The Windows entry: installs the real platform and hands over to the program.
#include <windows.h>

#include <string>

#include "app/Program.h"
#include "platform/win32/Win32Platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    // Never destroyed: the daily-run thread may still use it while the process ends.
    auto* platform = new zintra::platform::win32::Win32Platform;
    zintra::platform::SetCurrent(platform);
    const std::u16string line = commandLine != nullptr ? reinterpret_cast<const char16_t*>(commandLine) : u"";
    return zintra::RunProgram(line);
}
