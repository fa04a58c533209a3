#include "platform/linux/LinuxShell.h"

#include <sys/stat.h>

#include "platform/linux/DetachedProcess.h"
#include "platform/linux/LinuxTray.h"
#include "platform/linux/SessionKind.h"
#include "platform/linux/TextConversion.h"

namespace zintra::platform::linux_x11 {

bool LinuxShell::NotifyIcon(TrayAction action, const TrayIconData& data) {
    return tray_ != nullptr && tray_->NotifyIcon(action, data);
}

void LinuxShell::SetTrayMenu(const std::vector<TrayMenuEntry>& entries) {
    if (tray_ != nullptr) tray_->SetMenu(entries);
}

std::uint32_t LinuxShell::RegisterWindowMessage(const std::u16string& name) {
    // The same name gives the same number, as on Windows: the tray posts "TaskbarCreated" by its number.
    const auto [entry, added] = registeredMessages_.try_emplace(name, nextMessage_);
    if (added) ++nextMessage_;
    return entry->second;
}

bool LinuxShell::SetForegroundWindow(NativeWindow) { return false; }

// Our hotkey is an X11 grab: under XWayland it sees only keys meant for X11 windows.
bool LinuxShell::HotkeyOnlyInOwnWindows() const { return CurrentSessionKind() == SessionKind::Wayland; }

bool LinuxShell::OpenUrl(const std::u16string& url) {
    const std::string address = ToUtf8(url);
    // Only web addresses: never a local file or a command line.
    if (address.rfind("http://", 0) != 0 && address.rfind("https://", 0) != 0) return false;
    return StartDetached("xdg-open", address);
}

std::intptr_t LinuxShell::StartInstaller(const std::string& path) {
    // The shell's own "file not found" when there is nothing to open; only a
    // full path, which xdg-open cannot take for an option.
    constexpr std::intptr_t kFileNotFound = 2;
    constexpr std::intptr_t kStarted = 33;
    struct stat info {};
    if (path.empty() || path[0] != '/' || ::stat(path.c_str(), &info) != 0) return kFileNotFound;
    // The desktop's handler for the package (its software installer) takes over.
    return StartDetached("xdg-open", path) ? kStarted : kFileNotFound;
}

}  // namespace zintra::platform::linux_x11
