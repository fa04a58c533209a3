#include "ui/x11/X11Backend.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xresource.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "platform/Messages.h"
#include "ui/core/ApplicationImages.h"
#include "ui/core/SHostWnd.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

using platform::NativeWindow;

std::uint64_t NowMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec / 1000);
}

int& LastXError() {
    static int lastError = 0;
    return lastError;
}

namespace {

// The default handler ends the process; a window that went away under us
// (a BadWindow on a focus request, say) is not worth that.
int IgnoreErrors(Display*, XErrorEvent* error) {
    LastXError() = error->error_code;
    return 0;
}

double ScaleFromResources(Display* display) {
    const char* resources = XResourceManagerString(display);
    if (resources == nullptr) return 1.0;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (database == nullptr) return 1.0;
    double scale = 1.0;
    char* type = nullptr;
    XrmValue value{};
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
        const double dpi = std::atof(value.addr);
        if (dpi >= 48 && dpi <= 480) scale = dpi / 96.0;
    }
    XrmDestroyDatabase(database);
    return scale;
}

}  // namespace

X11Backend::X11Backend(platform::x11::X11DesktopHooks& x11, platform::linux_x11::DesktopServices& desktop)
    : x11_(x11),
      desktop_(desktop),
      display_(x11.GetDisplay()),
      screen_(DefaultScreen(x11.GetDisplay())),
      root_(DefaultRootWindow(x11.GetDisplay())),
      images_(ApplicationImageLoader()) {
    XSetErrorHandler(IgnoreErrors);
    scale_ = ScaleFromResources(display_);
    TakeStartupId();
    if (pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) wake_[0] = wake_[1] = -1;
    XSetLocaleModifiers("");
    // Hotkeys arrive as key presses on the root window.
    XSelectInput(display_, root_, KeyPressMask);
    WatchMonitors();
    int opcode = 0, xkbError = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display_, &opcode, &xkbEvent_, &xkbError, &major, &minor)) xkbEvent_ = -1;
    desktop_.AttachLoop(this);
}

X11Backend::~X11Backend() {
    desktop_.AttachLoop(nullptr);
    // Windows still open at the end go now, while their objects exist (a
    // message window's object outlives it only when it deletes itself on its
    // last message, as the tray's does).
    while (!hosts_.empty()) DestroyHostWindow(hosts_.begin()->first);
    while (!messageWindows_.empty()) DestroyWindow(messageWindows_.begin()->first);
    graveyard_.clear();
    for (Hotkey& hotkey : hotkeys_) GrabHotkey(hotkey, false);
    drag_.reset();
    popups_.clear();
    for (auto& [shape, cursor] : cursors_) XFreeCursor(display_, cursor);
    CloseInputMethod();
    while (preciseTiming_ > 0) EndPreciseTiming();
    if (wake_[0] >= 0) ::close(wake_[0]);
    if (wake_[1] >= 0) ::close(wake_[1]);
    XFlush(display_);
}

Atom X11Backend::Intern(const char* name) { return XInternAtom(display_, name, False); }

bool X11Backend::Translucent(bool wanted) {
    if (!wanted) return false;
    // Alpha only means something when a compositor blends windows.
    const std::string selection = "_NET_WM_CM_S" + std::to_string(screen_);
    return XGetSelectionOwner(display_, Intern(selection.c_str())) != None;
}

bool X11Backend::WindowManagerSupports(const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool supported = false;
    if (XGetWindowProperty(display_, root_, Intern("_NET_SUPPORTED"), 0, 4096, False, XA_ATOM, &type, &format, &count,
                           &after, &data) == Success && data != nullptr) {
        const Atom wanted = Intern(name);
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) supported = supported || atoms[i] == wanted;
        XFree(data);
    }
    return supported;
}

void X11Backend::ForgetTimersAndHotkeys(NativeWindow window) {
    for (auto timer = timers_.begin(); timer != timers_.end();) {
        timer = timer->first.first == window ? timers_.erase(timer) : std::next(timer);
    }
    for (Hotkey& hotkey : hotkeys_) {
        if (hotkey.window == window) GrabHotkey(hotkey, false);
    }
    std::erase_if(hotkeys_, [&](const Hotkey& h) { return h.window == window; });
}

std::intptr_t X11Backend::Deliver(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    platform::MessageHandler* handler = nullptr;
    Host* host = FindHost(window);
    if (host != nullptr) {
        handler = host->handler;
    } else if (auto it = messageWindows_.find(window); it != messageWindows_.end()) {
        handler = it->second;
    }
    if (handler == nullptr) return 0;
    if (auto result = handler->HandleMessage(window, message, wParam, lParam)) return *result;
    // What the system does with a host's unhandled commands: minimising goes to the window manager.
    if (message == msg::kSysCommand && (wParam & 0xFFF0) == msg::kScMinimize && FindHost(window) != nullptr) {
        XIconifyWindow(display_, Xid(window), screen_);
        XFlush(display_);
    }
    return 0;
}

NativeWindow X11Backend::CreateMessageWindow(platform::MessageHandler& handler) {
    const NativeWindow window = nextMessageWindow_++;
    messageWindows_[window] = &handler;
    return window;
}

void X11Backend::DestroyWindow(NativeWindow window) {
    if (hosts_.count(window)) {
        DestroyHostWindow(window);
        return;
    }
    auto it = messageWindows_.find(window);
    if (it == messageWindows_.end()) return;
    platform::MessageHandler* handler = it->second;
    messageWindows_.erase(it);  // WM_DESTROY is the last message: the handler may delete itself
    handler->HandleMessage(window, msg::kDestroy, 0, 0);
    ForgetTimersAndHotkeys(window);
}




std::intptr_t X11Backend::SendMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
    return Deliver(window, message, wParam, lParam);
}

bool X11Backend::PostMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (window == 0) return false;
    {
        std::lock_guard<std::mutex> lock(postedLock_);
        posted_.push_back({window, message, wParam, lParam});
    }
    if (wake_[1] >= 0) [[maybe_unused]] auto ignored = ::write(wake_[1], "p", 1);
    return true;
}

void X11Backend::PostQuitMessage(int exitCode) {
    quitting_ = true;
    quitCode_ = exitCode;
}

}  // namespace zintra::ui
