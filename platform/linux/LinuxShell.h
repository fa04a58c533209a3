// The shell services on a Linux desktop: the tray icon (LinuxTray), window
// message numbers registered by name, and the desktop's opener (xdg-open) for
// web addresses and downloaded installers.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/Shell.h"

namespace zintra::platform::linux_x11 {

class LinuxTray;

class LinuxShell final : public Shell {
public:
    // Without a tray every NotifyIcon fails.
    explicit LinuxShell(LinuxTray* tray) : tray_(tray) {}

    bool NotifyIcon(TrayAction action, const TrayIconData& data) override;
    std::uint32_t RegisterWindowMessage(const std::u16string& name) override;
    bool SetForegroundWindow(NativeWindow window) override;
    // Started, not finished: the opener runs on while the program goes on.
    bool OpenUrl(const std::u16string& url) override;
    std::intptr_t StartInstaller(const std::string& path) override;
    void DestroyIcon(IconHandle) override {}
    // Stock desktops (GNOME without an extension) have no tray to come back from.
    bool KeepsWindowWithoutTray() const override { return true; }
    bool HotkeyOnlyInOwnWindows() const override;
    void SetTrayMenu(const std::vector<TrayMenuEntry>& entries) override;

private:
    LinuxTray* tray_;
    std::uint32_t nextMessage_ = 0xC000;
    std::map<std::u16string, std::uint32_t> registeredMessages_;
};

}  // namespace zintra::platform::linux_x11
