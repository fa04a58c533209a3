// The Linux entry: composes the program for an X11 desktop — the X11
// services (connection, XTest input, keys, the XEmbed tray) under the Linux
// platform, and the X11 toolkit backend over both — and hands over to the
// program. Another display path adds its own services and backend here.
#include <clocale>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Program.h"
#include "platform/linux/FileStore.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/PortalRemoteDesktop.h"
#include "platform/linux/SessionKind.h"
#include "platform/linux/TextConversion.h"
#include "platform/x11/X11Desktop.h"
#include "ui/x11/X11Backend.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // --help, --version and the report switch need no display, and only the
    // switch opens the store.
    std::unique_ptr<zintra::platform::linux_x11::FileStore> store;
    zintra::LongOptionContext options;
    options.store = [&store]() -> zintra::platform::Registry& {
        store = std::make_unique<zintra::platform::linux_x11::FileStore>(
            zintra::platform::linux_x11::FileStore::DefaultPath());
        return *store;
    };
    if (auto exitCode = zintra::RunLongOptions(std::vector<std::string>(argv + 1, argv + argc), options)) {
        return *exitCode;
    }
    // Never destroyed: the daily-run thread may still use them while the process ends.
    auto* x11 = new zintra::platform::x11::X11Desktop;
    if (!x11->Connected()) {
        std::fputs("zintra: cannot open the X display (is DISPLAY set?)\n", stderr);
        return 1;
    }
    namespace linux_x11 = zintra::platform::linux_x11;
    // In a Wayland session XTest reaches only X11 programs: clicks go through
    // the desktop's portal, which asks the user first.
    zintra::platform::MouseInput* input = &x11->Input();
    linux_x11::PortalRemoteDesktop* portal = nullptr;
    if (linux_x11::CurrentSessionKind() == linux_x11::SessionKind::Wayland) {
        portal = new linux_x11::PortalRemoteDesktop(x11->Input());
        input = portal;
    }
    auto* platform = new linux_x11::LinuxPlatform(*input, x11->Keys(), &x11->Dock());
    if (portal != nullptr) portal->Attach(platform->Bus(), platform->GetRegistry());
    zintra::platform::SetCurrent(platform);
    // The command line as the Windows program gets it: the arguments after the program's name.
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    zintra::ui::X11Backend backend(*x11, *platform);
    return zintra::RunProgram(zintra::platform::linux_x11::FromUtf8(line), backend);
}
