// Who a host window is to the desktop: the class its desktop entry names, so
// a dock shows one icon for entry and window; the process and machine behind
// it; the end of the launcher's startup notification once a window shows (or
// the program starts hidden); and, for a modal dialog, that it is one and
// whose it is, so window managers keep it above its owner.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "ui/core/SHostDialog.h"
#include "ui/x11/X11Backend.h"

namespace zintra::ui {

namespace {

// The id of the desktop entry (installer/debian/<id>.desktop): WM_CLASS's class.
constexpr char kDesktopEntryId[] = "example.zintra.Zintra";
constexpr char kResourceName[] = "zintra";
// A startup message goes out in pieces of this many bytes.
constexpr std::size_t kStartupChunk = 20;

// A value of a startup message, quoted when it holds blanks, quotes or backslashes.
std::string StartupValue(const std::string& value) {
    if (value.find_first_of(" \"\\") == std::string::npos) return value;
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

void X11Backend::TakeStartupId() {
    const char* id = std::getenv("DESKTOP_STARTUP_ID");
    if (id != nullptr) startupId_ = id;
    // Programs we start (the opener, an installer) are not part of this launch.
    ::unsetenv("DESKTOP_STARTUP_ID");
}

void X11Backend::SetIdentity(Window xid, SHostWnd& hostWindow, const HostWindowSpec& spec) {
    XClassHint classHint{const_cast<char*>(kResourceName), const_cast<char*>(kDesktopEntryId)};
    XSetClassHint(display_, xid, &classHint);
    char machine[256] = {};
    if (::gethostname(machine, sizeof(machine) - 1) == 0) {
        char* names[] = {machine};
        XTextProperty property{};
        if (XStringListToTextProperty(names, 1, &property) != 0) {
            XSetWMClientMachine(display_, xid, &property);
            XFree(property.value);
        }
    }
    const long pid = ::getpid();
    XChangeProperty(display_, xid, Intern("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    if (!startupId_.empty()) {
        XChangeProperty(display_, xid, Intern("_NET_STARTUP_ID"), Intern("UTF8_STRING"), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(startupId_.c_str()),
                        static_cast<int>(startupId_.size()));
    }
    if (spec.parent != 0 && FindHost(spec.parent) != nullptr && dynamic_cast<SHostDialog*>(&hostWindow) != nullptr) {
        const Atom type = Intern("_NET_WM_WINDOW_TYPE_DIALOG");
        XChangeProperty(display_, xid, Intern("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&type), 1);
        // Appended: the window may already skip the task bar.
        const Atom modal = Intern("_NET_WM_STATE_MODAL");
        XChangeProperty(display_, xid, Intern("_NET_WM_STATE"), XA_ATOM, 32, PropModeAppend,
                        reinterpret_cast<const unsigned char*>(&modal), 1);
    }
}

void X11Backend::CompleteStartup(Window xid) {
    if (startupId_.empty()) return;
    const std::string message = "remove: ID=" + StartupValue(startupId_);
    startupId_.clear();
    // The message and its terminating NUL, to the root window in pieces.
    const std::size_t length = message.size() + 1;
    for (std::size_t offset = 0; offset < length; offset += kStartupChunk) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = xid;
        event.xclient.message_type = Intern(offset == 0 ? "_NET_STARTUP_INFO_BEGIN" : "_NET_STARTUP_INFO");
        event.xclient.format = 8;
        std::memcpy(event.xclient.data.b, message.c_str() + offset, std::min(kStartupChunk, length - offset));
        XSendEvent(display_, root_, False, PropertyChangeMask, &event);
    }
    XFlush(display_);
}

}  // namespace zintra::ui
