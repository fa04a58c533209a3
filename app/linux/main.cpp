// The Linux entry: composes the program for an X11 desktop — the X11
// services (connection, XTest input, keys, the XEmbed tray) under the Linux
// platform, and the X11 toolkit backend over both — and hands over to the
// program. In a Wayland session the windows still go through Xwayland, and
// the clicks take the path the session offers (platform/wayland/SessionInput).
#include <clocale>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Program.h"
#include "platform/linux/FileStore.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LinuxProcess.h"
#include "platform/linux/PortalRemoteDesktop.h"
#include "platform/linux/PortalShortcuts.h"
#include "platform/linux/SessionKind.h"
#include "platform/linux/TextConversion.h"
#include "platform/wayland/SessionInput.h"
#include "platform/x11/X11Desktop.h"
#include "ui/atspi/AtspiBridge.h"
#include "ui/x11/X11Backend.h"

namespace {

// A run command goes over the socket beside the running instance's lock.
zintra::InstanceAnswer TellRunningInstance(zintra::LongOptionAction action) {
    using zintra::platform::linux_x11::InstanceReply;
    using zintra::platform::linux_x11::InstanceRequest;
    const InstanceRequest request = action == zintra::LongOptionAction::Start  ? InstanceRequest::Start
                                    : action == zintra::LongOptionAction::Stop ? InstanceRequest::Stop
                                                                               : InstanceRequest::Toggle;
    switch (zintra::platform::linux_x11::LinuxProcess::AskRunningInstance(zintra::kSingleInstanceMutex, request)) {
        case InstanceReply::Answered: return zintra::InstanceAnswer::Done;
        case InstanceReply::NobodyListens: return zintra::InstanceAnswer::NotRunning;
        case InstanceReply::NoAnswer: break;
    }
    return zintra::InstanceAnswer::NoAnswer;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // The long options need no display; only the report switch opens the
    // store, and the run commands only talk to the running instance.
    std::unique_ptr<zintra::platform::linux_x11::FileStore> store;
    zintra::LongOptionContext options;
    options.store = [&store]() -> zintra::platform::Registry& {
        store = std::make_unique<zintra::platform::linux_x11::FileStore>(
            zintra::platform::linux_x11::FileStore::DefaultPath());
        return *store;
    };
    options.tellInstance = TellRunningInstance;
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
    const linux_x11::SessionKind session = linux_x11::CurrentSessionKind();
    // Xwayland's pointer is not always the user's; it tells when it is.
    if (session == linux_x11::SessionKind::Wayland) x11->Input().FollowXwaylandPointer();
    // Held in statics so the leak check at exit still finds them.
    static auto* input = new zintra::platform::wayland::SessionInput(
        session, x11->Input(), [x11](std::optional<zintra::platform::Point> movedTo) {
            return movedTo ? x11->Input().PointerRestsAt(*movedTo) : x11->Input().PointerOverClientWindow();
        });
    // A Wayland desktop without the virtual-pointer protocol (GNOME, KDE)
    // lets programs click through its remote-desktop portal, which asks the
    // user first and says itself when the desktop has no portal.
    linux_x11::PortalRemoteDesktop* portal = nullptr;
    if (session == linux_x11::SessionKind::Wayland && input->Events() == nullptr) {
        portal = new linux_x11::PortalRemoteDesktop(x11->Input());
    }
    zintra::platform::MouseInput& clicks = portal != nullptr ? *portal : input->Input();
    auto* platform = new linux_x11::LinuxPlatform(clicks, x11->Keys(), &x11->Dock());
    if (input->Events() != nullptr) platform->AddDesktopEvents(*input->Events());
    if (portal != nullptr) portal->Attach(platform->GetSessionBus(), platform->GetRegistry());
    zintra::platform::SetCurrent(platform);
    // The command line as the Windows program gets it: the arguments after the program's name.
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    zintra::ui::X11Backend backend(*x11, *platform);
    // Screen readers find the windows on the session's accessibility bus, when it runs one.
    zintra::ui::AtspiBridge accessibility(platform->GetSessionBus());
    if (accessibility.Start()) platform->AddDesktopEvents(accessibility);
    if (portal != nullptr) {
        // Keys grabbed through X reach us there only while an X11 program has the focus.
        static auto* shortcuts = new linux_x11::PortalShortcuts;
        shortcuts->Attach(platform->GetSessionBus());
        backend.UseDesktopShortcuts(shortcuts);
    }
    return zintra::RunProgram(zintra::platform::linux_x11::FromUtf8(line), backend);
}
