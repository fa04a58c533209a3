// The program's icon in the notification area, as a control of the main
// window's layout: its host adds the icon (the main window does once it is on
// screen) and the control removes it when the window goes, shows balloon
// notices and the tray menu, and reacts to clicks on the icon through a
// hidden window of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Shell.h"
#include "ui/core/SWindow.h"

namespace zintra {

class CShellNotifyHwnd2;

inline constexpr std::uint32_t kTrayIconId = 100;  // the icon's id inside the notification area
inline constexpr int kTrayControlId = 110;         // the control's id in the main window's layout

class SShellNotifyIcon : public ui::SWindow {
    ZUI_CLASS_NAME(ui::SWindow, "shellnotifyicon")
public:
    enum MenuKind { kClassicMenu = 0, kExtendedMenu = 1, kNoMenu = 2 };

    SShellNotifyIcon();
    ~SShellNotifyIcon() override;

    // Adds the icon, with the hidden window that receives its callbacks.
    // Returns whether the notification area took it.
    bool AddTrayIcon();
    void RemoveTrayIcon();
    void ShowTrayMenu();
    // The entries of the same menu, for panels that show it themselves.
    std::vector<platform::TrayMenuEntry> MenuEntries() const;
    // The default reaction to a mouse message on the icon; 0 when it acted.
    std::intptr_t HandleTrayNotify(std::intptr_t mouseMessage);
    // Null leaves the text or the title as it is.
    void ShowBalloon(const char16_t* text, const char16_t* title);

    // ---- Read by the hidden window and by tests ----
    const platform::TrayIconData& Record() const { return record_; }
    bool Resend();
    // Whether the notification area shows the icon now (none on a desktop without one).
    bool InTray() const { return inTray_; }
    MenuKind GetMenuKind() const { return menuKind_; }

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    void OnDestroy() override;

private:
    bool inTray_ = false;
    void LoadIcons(std::string_view names);
    void DestroyIcons();

    std::vector<platform::IconHandle> icons_;
    std::u16string tip_;
    std::string menuName_;
    MenuKind menuKind_ = kNoMenu;
    platform::TrayIconData record_;
    CShellNotifyHwnd2* hiddenWindow_ = nullptr;
    unsigned defaultIconIndex_ = 0;
};

}  // namespace zintra
