// The shell services the program uses: its notification-area icon, registered
// window messages, the foreground window and opening web addresses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace zintra::platform {

using IconHandle = std::uintptr_t;  // 0 = no icon

// The notification-area record, field for field what the program hands over.
struct TrayIconData {
    bool sized = false;  // cbSize holds the full size: the record has been set up
    NativeWindow window = 0;
    std::uint32_t id = 0;
    std::uint32_t flags = 0;
    std::uint32_t callbackMessage = 0;
    IconHandle icon = 0;
    char16_t tip[128] = {};
    char16_t info[256] = {};
    char16_t infoTitle[64] = {};
    std::uint32_t timeout = 0;
    std::uint32_t infoFlags = 0;
};

namespace tray {
inline constexpr std::uint32_t kMessage = 0x01;  // NIF_MESSAGE
inline constexpr std::uint32_t kIcon = 0x02;     // NIF_ICON
inline constexpr std::uint32_t kTip = 0x04;      // NIF_TIP
inline constexpr std::uint32_t kInfo = 0x10;     // NIF_INFO
}  // namespace tray

enum class TrayAction { Add = 0, Modify = 1, Delete = 2 };

// One entry of the tray menu, for desktops whose panel shows the menu itself.
struct TrayMenuEntry {
    int command = 0;  // what WM_COMMAND carries when it is chosen
    std::u16string text;
    bool separator = false;
    bool enabled = true;
    std::vector<TrayMenuEntry> children;  // a sub-menu
    friend bool operator==(const TrayMenuEntry&, const TrayMenuEntry&) = default;
};

// Copies text into a fixed record field, cutting what does not fit so the
// field always ends with a NUL.
template <std::size_t N>
void CopyTrayText(char16_t (&field)[N], std::u16string_view text) {
    const std::size_t units = text.size() < N - 1 ? text.size() : N - 1;
    for (std::size_t i = 0; i < N; ++i) field[i] = i < units ? text[i] : u'\0';
}

class Shell {
public:
    virtual ~Shell() = default;
    // Shell_NotifyIconW.
    virtual bool NotifyIcon(TrayAction action, const TrayIconData& data) = 0;
    // RegisterWindowMessageW: the same name gives the same number in every process.
    virtual std::uint32_t RegisterWindowMessage(const std::u16string& name) = 0;
    virtual bool SetForegroundWindow(NativeWindow window) = 0;
    // Opens a web address in the user's browser ("OPEN", no parameters, shown).
    virtual bool OpenUrl(const std::u16string& url) = 0;
    // Starts a downloaded installer (ShellExecuteA "open", no parameters, shown
    // normally). Returns the shell's result: above 32 when it started.
    virtual std::intptr_t StartInstaller(const std::string& path) = 0;
    // Frees an icon the program loaded.
    virtual void DestroyIcon(IconHandle icon) = 0;

    // Whether the program must keep its main window within reach itself while
    // no notification area shows its icon. Windows always has a taskbar that
    // brings the icon back, so there the program hides as it always has; a
    // Linux desktop may have no tray at all.
    virtual bool KeepsWindowWithoutTray() const { return false; }

    // Whether the desktop hands the start/stop hotkey to the program only while
    // one of its own windows has the focus. Windows and an X11 session deliver
    // it everywhere; a Wayland session shows an X11 program no other window's keys.
    virtual bool HotkeyOnlyInOwnWindows() const { return false; }

    // The tray menu, for panels that draw the menu themselves: an entry
    // chosen there arrives as WM_COMMAND (low word its command, high word 0)
    // at the tray record's window, as from the program's own menu. Where the
    // program always draws the menu itself (Windows) this does nothing.
    virtual void SetTrayMenu(const std::vector<TrayMenuEntry>& entries) { static_cast<void>(entries); }
};

}  // namespace zintra::platform
