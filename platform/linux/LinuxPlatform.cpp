#include "platform/linux/LinuxPlatform.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/Messages.h"
#include "platform/linux/Adapters.h"
#include "platform/linux/DownloadFolder.h"
#include "platform/linux/KeyMapping.h"
#include "platform/linux/LinuxTray.h"
#include "platform/linux/TextConversion.h"

extern char** environ;

namespace zintra::platform::linux_x11 {

namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

LinuxPlatform::LinuxPlatform() : store_(FileStore::DefaultPath()) {
    display_ = XOpenDisplay(nullptr);
    tray_ = std::make_unique<LinuxTray>(display_);
    tray_->SetTaskbarCreatedMessage(RegisterWindowMessage(u"TaskbarCreated"));
    if (display_ == nullptr) return;
    int event = 0, error = 0, major = 0, minor = 0;
    haveXTest_ = XTestQueryExtension(display_, &event, &error, &major, &minor) != False;
    // Clicks sent while another client grabs the server still go through.
    if (haveXTest_) XTestGrabControl(display_, True);
}

LinuxPlatform::~LinuxPlatform() {
    tray_.reset();  // its X window goes before the connection
    if (display_ != nullptr) XCloseDisplay(display_);
    if (instanceLock_ >= 0) ::close(instanceLock_);
}

// ---- Mouse ----

std::uint32_t LinuxPlatform::SendMouseEvents(const MouseEvent* events, std::uint32_t count) {
    if (display_ == nullptr || !haveXTest_) return 0;
    const Size screen = PrimaryScreenSize();
    for (std::uint32_t i = 0; i < count; ++i) {
        const MouseEvent& e = events[i];
        if ((e.flags & msg::kMouseEventMove) != 0) {
            if ((e.flags & msg::kMouseEventAbsolute) != 0) {
                // The exact inverse of the program's normalisation to 0..65535.
                const auto denormalise = [](std::int32_t value, std::int32_t extent) {
                    return static_cast<int>((static_cast<std::int64_t>(value) * extent + 65535) / 65536);
                };
                XTestFakeMotionEvent(display_, -1, denormalise(e.dx, screen.width), denormalise(e.dy, screen.height),
                                     CurrentTime);
            } else {
                XTestFakeRelativeMotionEvent(display_, e.dx, e.dy, CurrentTime);
            }
        }
        if (e.flags & msg::kMouseEventLeftDown) XTestFakeButtonEvent(display_, 1, True, CurrentTime);
        if (e.flags & msg::kMouseEventLeftUp) XTestFakeButtonEvent(display_, 1, False, CurrentTime);
        if (e.flags & msg::kMouseEventRightDown) XTestFakeButtonEvent(display_, 3, True, CurrentTime);
        if (e.flags & msg::kMouseEventRightUp) XTestFakeButtonEvent(display_, 3, False, CurrentTime);
    }
    XFlush(display_);
    return count;
}

Point LinuxPlatform::CursorPosition() {
    if (display_ == nullptr) return {};
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &x, &y, &mask);
    return {rootX, rootY};
}

Size LinuxPlatform::PrimaryScreenSize() {
    if (display_ == nullptr) return {};
    const int screen = DefaultScreen(display_);
    return {DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
}

// ---- Clock ----

std::uint64_t LinuxPlatform::MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec / 1000000);
}

std::int64_t LinuxPlatform::CalendarTime() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::int64_t LinuxPlatform::LocalMidnight(std::int64_t calendarTime) {
    const std::time_t t = static_cast<std::time_t>(calendarTime);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) return calendarTime;
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

// ---- Shell ----

void LinuxPlatform::AttachLoop(DesktopLoop* loop) { tray_->Attach(loop); }

EventSource& LinuxPlatform::DesktopEvents() { return tray_->Events(); }

bool LinuxPlatform::HandleDesktopEvent(XEvent& event) { return tray_->HandleXEvent(event); }

bool LinuxPlatform::NotifyIcon(TrayAction action, const TrayIconData& data) { return tray_->NotifyIcon(action, data); }

std::uint32_t LinuxPlatform::RegisterWindowMessage(const std::u16string& name) {
    // The same name gives the same number, as on Windows: the tray posts "TaskbarCreated" by its number.
    const auto [entry, added] = registeredMessages_.try_emplace(name, nextMessage_);
    if (added) ++nextMessage_;
    return entry->second;
}

bool LinuxPlatform::SetForegroundWindow(NativeWindow) { return false; }

bool LinuxPlatform::OpenUrl(const std::u16string& url) {
    const std::string address = ToUtf8(url);
    // Only web addresses: never a local file or a command line.
    if (address.rfind("http://", 0) != 0 && address.rfind("https://", 0) != 0) return false;
    char program[] = "xdg-open";
    std::vector<char> argument(address.begin(), address.end());
    argument.push_back('\0');
    char* argv[] = {program, argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program, nullptr, nullptr, argv, environ) != 0) return false;
    // xdg-open hands over to the browser and ends; do not leave it a zombie.
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::intptr_t LinuxPlatform::StartInstaller(const std::string& path) {
    // The shell's own "file not found" when there is nothing to open; only a
    // full path, which xdg-open cannot take for an option.
    constexpr std::intptr_t kFileNotFound = 2;
    constexpr std::intptr_t kStarted = 33;
    if (path.empty() || path[0] != '/' || !FileExists(path)) return kFileNotFound;
    // The desktop's handler for the package (its software installer) takes over.
    char program[] = "xdg-open";
    std::vector<char> argument(path.begin(), path.end());
    argument.push_back('\0');
    char* argv[] = {program, argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program, nullptr, nullptr, argv, environ) != 0) return kFileNotFound;
    // Some handlers keep xdg-open waiting until they close: never wait on the
    // user-interface thread, but do not leave a zombie either.
    std::thread([child] {
        int status = 0;
        waitpid(child, &status, 0);
    }).detach();
    return kStarted;
}

// ---- Keyboard ----

bool LinuxPlatform::IsKeyDown(std::uint32_t virtualKey) {
    // The modifiers as the event being handled saw them, like GetKeyState.
    if (hasEventState_) {
        switch (virtualKey) {
            case msg::kVkShift: case 0xA0: case 0xA1: return (eventState_ & ShiftMask) != 0;
            case msg::kVkControl: case 0xA2: case 0xA3: return (eventState_ & ControlMask) != 0;
            case msg::kVkMenu: case 0xA4: case 0xA5: return (eventState_ & Mod1Mask) != 0;
            default: break;
        }
    }
    if (display_ == nullptr) return false;
    const unsigned long keysym = VirtualKeyToKeysym(virtualKey);
    if (keysym == 0) return false;
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    if (code == 0) return false;
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    return (keys[code / 8] & (1 << (code % 8))) != 0;
}

std::uint32_t LinuxPlatform::VirtualKeyToChar(std::uint32_t virtualKey) {
    // Letters come upper case, as MapVirtualKey gives them.
    if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey;
    if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
    const unsigned long keysym = VirtualKeyToKeysym(virtualKey);
    if (keysym >= 0x20 && keysym < 0x7F) return static_cast<std::uint32_t>(keysym);  // Latin-1 keysyms are characters
    switch (keysym) {
        case XK_BackSpace: return 8;
        case XK_Tab: return 9;
        case XK_Return: return 13;
        case XK_Escape: return 27;
        case XK_KP_Multiply: return '*';
        case XK_KP_Add: return '+';
        case XK_KP_Subtract: return '-';
        case XK_KP_Decimal: return '.';
        case XK_KP_Divide: return '/';
        default: return 0;
    }
}

// ---- Process ----

std::string SingleInstanceLockPath(const std::u16string& name) {
    std::string safe;
    for (char16_t c : name) {
        safe += (c < 0x80 && (std::isalnum(static_cast<int>(c)) || c == '-')) ? static_cast<char>(c) : '_';
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/zintra-" + safe + ".lock";
    const char* temporary = std::getenv("TMPDIR");
    const std::string folder = temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp";
    return folder + "/zintra-" + std::to_string(::getuid()) + "-" + safe + ".lock";
}

bool LinuxPlatform::CreateSingleInstanceMutex(const std::u16string& name) {
    const std::string path = SingleInstanceLockPath(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;  // without a lock file the program still runs, as without a mutex
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    // Held until the process ends: the kernel drops the lock with the descriptor.
    instanceLock_ = fd;
    return true;
}

bool LinuxPlatform::SetCurrentDirectory(const std::u16string& path) { return ::chdir(ToUtf8(path).c_str()) == 0; }

// ---- System ----

// Downloads never go to the shared /tmp, where other users can plant files.
std::string LinuxPlatform::TemporaryDirectory() { return PrivateDownloadFolder(); }

std::u16string LinuxPlatform::ExecutablePath() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return {};
    return FromUtf8(std::string(buffer.data(), static_cast<std::size_t>(length)));
}

bool LinuxPlatform::FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool LinuxPlatform::RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool LinuxPlatform::RenameFile(const std::string& from, const std::string& to) {
    // Never replaces: a hard link fails when the destination exists.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

bool LinuxPlatform::TruncateFile(const std::string& path, std::int64_t size) {
    return size >= 0 && ::truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

std::string LinuxPlatform::ReadProfileValue(const std::string& section, const std::string& key,
                                            const std::string& defaultValue, const std::string& path) {
    std::ifstream file(path);
    std::string line;
    bool inSection = false;
    while (std::getline(file, line)) {
        const std::string trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            inSection = trimmed == "[" + section + "]";
            continue;
        }
        if (!inSection) continue;
        const auto equals = trimmed.find('=');
        if (equals != std::string::npos && Trim(trimmed.substr(0, equals)) == key) {
            return Trim(trimmed.substr(equals + 1)).substr(0, 259);
        }
    }
    return defaultValue.substr(0, 259);
}

bool LinuxPlatform::WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                                      const std::string& path) {
    std::vector<std::string> lines;
    {
        std::ifstream file(path);
        std::string line;
        while (std::getline(file, line)) lines.push_back(line);
    }
    bool inSection = false;
    bool written = false;
    std::size_t sectionEnd = lines.size();
    bool sectionFound = false;
    for (std::size_t i = 0; i < lines.size() && !written; ++i) {
        const std::string trimmed = Trim(lines[i]);
        if (!trimmed.empty() && trimmed.front() == '[') {
            if (inSection) sectionEnd = i;
            inSection = trimmed == "[" + section + "]";
            if (inSection) sectionFound = true;
            continue;
        }
        const auto equals = trimmed.find('=');
        if (inSection && equals != std::string::npos && Trim(trimmed.substr(0, equals)) == key) {
            lines[i] = key + "=" + value;
            written = true;
        }
    }
    if (!written) {
        if (!sectionFound) {
            lines.push_back("[" + section + "]");
            sectionEnd = lines.size();
        } else if (inSection) {
            sectionEnd = lines.size();
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), key + "=" + value);
    }
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& line : lines) out << line << "\r\n";
        if (!out.flush()) return false;
    }
    return ::rename(temporary.c_str(), path.c_str()) == 0;
}

std::string LinuxPlatform::ToAnsiCodePage(const std::u16string& text) { return ToUtf8(text); }

std::u16string LinuxPlatform::FromAnsiCodePage(const std::string& text) { return FromUtf8(text); }

std::optional<HardwareAddress> LinuxPlatform::FirstAdapterAddress() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return std::nullopt;
    std::vector<Adapter> adapters;
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET) continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        Adapter adapter;
        adapter.index = static_cast<unsigned>(link->sll_ifindex);
        adapter.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
        adapter.up = (entry->ifa_flags & IFF_UP) != 0;
        adapter.address.assign(link->sll_addr, link->sll_addr + std::min<std::size_t>(link->sll_halen, 8));
        adapters.push_back(std::move(adapter));
    }
    freeifaddrs(list);
    return ChooseAdapterAddress(std::move(adapters));
}

}  // namespace zintra::platform::linux_x11
