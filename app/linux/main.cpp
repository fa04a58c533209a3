// The Linux entry: connects to the X server, installs the real platform and
// the X11 toolkit backend and hands over to the program.
#include <clocale>
#include <cstdio>
#include <string>

#include "app/Program.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/TextConversion.h"
#include "ui/x11/X11Backend.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // Never destroyed: the daily-run thread may still use it while the process ends.
    auto* platform = new zintra::platform::linux_x11::LinuxPlatform;
    if (!platform->Connected()) {
        std::fputs("zintra: cannot open the X display (is DISPLAY set?)\n", stderr);
        return 1;
    }
    zintra::platform::SetCurrent(platform);
    // The command line as the Windows program gets it: the arguments after the program's name.
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    zintra::ui::X11Backend backend(*platform);
    return zintra::RunProgram(zintra::platform::linux_x11::FromUtf8(line), backend);
}
