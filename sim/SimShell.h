// The simulated shell: records every tray call and keeps what the notification
// area would show, so tests can read the icon, its tip and its balloons.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace zintra::sim {

class SimShell final : public platform::Shell {
public:
    bool NotifyIcon(platform::TrayAction action, const platform::TrayIconData& data) override;
    std::uint32_t RegisterWindowMessage(const std::u16string& name) override;
    bool SetForegroundWindow(platform::NativeWindow window) override;
    bool OpenUrl(const std::u16string& url) override;
    std::intptr_t StartInstaller(const std::string& path) override;
    void DestroyIcon(platform::IconHandle icon) override { destroyedIcons_.push_back(icon); }
    bool KeepsWindowWithoutTray() const override { return keepsWindow_; }
    bool HotkeyOnlyInOwnWindows() const override { return hotkeyConfined_; }
    void SetTrayMenu(const std::vector<platform::TrayMenuEntry>& entries) override { trayMenu_ = entries; }

    // ---- Test controls ----
    struct TrayCall {
        platform::TrayAction action;
        platform::TrayIconData data;
    };
    const std::vector<TrayCall>& TrayCalls() const { return trayCalls_; }
    // Called with each tray call as it is made (to see what else had happened by then).
    void WatchTrayCalls(std::function<void(const TrayCall&)> watcher) { watcher_ = std::move(watcher); }
    // The icon as the notification area shows it, when there is one.
    const std::optional<platform::TrayIconData>& ShownIcon() const { return shown_; }
    // Balloon texts shown so far, in order (a modify with NIF_INFO and a text).
    const std::vector<std::u16string>& Balloons() const { return balloons_; }
    void RefuseIcons(bool refuse) { refuse_ = refuse; }
    // Behaves as a desktop where no tray may ever show the icon (Linux).
    void SetKeepsWindowWithoutTray(bool keeps) { keepsWindow_ = keeps; }
    // Behaves as a desktop that shows the hotkey only to the program's own windows.
    void SetHotkeyOnlyInOwnWindows(bool confined) { hotkeyConfined_ = confined; }
    // Simulates a restart of the taskbar: the icons are gone.
    void RestartTaskbar() { shown_.reset(); }
    platform::NativeWindow ForegroundWindow() const { return foreground_; }
    // The menu handed over for panels that draw it themselves.
    const std::vector<platform::TrayMenuEntry>& TrayMenu() const { return trayMenu_; }
    const std::vector<std::u16string>& OpenedUrls() const { return urls_; }
    // No browser or opener: addresses are still recorded, opening fails.
    void SetOpenerMissing(bool missing) { openerMissing_ = missing; }
    const std::vector<std::string>& StartedInstallers() const { return installers_; }
    // What the shell answers when asked to start an installer (42: started).
    void SetInstallerResult(std::intptr_t result) { installerResult_ = result; }

private:
    std::vector<TrayCall> trayCalls_;
    std::function<void(const TrayCall&)> watcher_;
    std::optional<platform::TrayIconData> shown_;
    std::vector<std::u16string> balloons_;
    bool refuse_ = false;
    bool keepsWindow_ = false;
    bool hotkeyConfined_ = false;
    std::vector<platform::TrayMenuEntry> trayMenu_;
    std::map<std::u16string, std::uint32_t> messages_;
    platform::NativeWindow foreground_ = 0;
    std::vector<std::u16string> urls_;
    bool openerMissing_ = false;
    std::vector<std::string> installers_;
    std::intptr_t installerResult_ = 42;
    std::vector<platform::IconHandle> destroyedIcons_;
};

}  // namespace zintra::sim
