// The main window: shows the click type, the interval and the start/stop
// hotkey, owns the click settings, the click engine and the hotkey for the
// whole run, carries the tray icon in its layout, and ends the program.
#pragma once

#include <memory>
#include <string>

#include "clicker/ClickEngine.h"
#include "clicker/ClickSettings.h"
#include "ui/core/Hotkeys.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/Timers.h"

namespace zintra {

class CSettingDlg;
struct ClickTypeEntry;
class SShellNotifyIcon;

class CMainDlg final : public ui::SHostWnd, private RunNotifier, private ClickWindow {
public:
    CMainDlg();
    ~CMainDlg() override;

    ClickSettings& Settings() { return settings_; }
    const ClickEngine& Engine() const { return engine_; }

    // Addresses the web links open (hosts chosen when the program is built).
    static std::u16string SearchAddress();
    static std::u16string SiteAddress();

    // Puts the layout's icon into the notification area (after the first show)
    // and says what the start has to say (ShowStartNotices), once the desktop
    // has answered about the start/stop shortcut where it binds one.
    void EnterTray();
    static constexpr const char16_t* kStoreUnavailableNotice = u"无法保存设置，本次使用默认设置运行";
    static constexpr const char16_t* kNoBrowserNotice = u"无法打开网页：没有找到可以打开网页的浏览器";

protected:
    std::optional<std::intptr_t> OnWindowMessage(std::uint32_t message, std::uintptr_t wParam,
                                                 std::intptr_t lParam) override;
    void OnEvent(ui::EventArgs& event) override;

private:
    void OnInitDialog();
    void Exit();
    void RegisterHotkey();
    SShellNotifyIcon* TrayIcon() const;
    // No icon shows and nothing else would bring a hidden window back.
    bool TrayMissing() const;
    void ShowBalloon(std::u16string_view text, std::u16string_view title) override;
    // The start's notice, the most important one: how to bind `zintra
    // --toggle` (the first time it is needed), else why clicks cannot reach
    // the desktop, else that the settings cannot be stored, else the keys the
    // desktop bound instead of the hotkey's.
    void ShowStartNotices();
    // Tells once, where the hotkey reaches only our own windows and the
    // desktop did not bind it, how to bind `zintra --toggle` to a desktop
    // shortcut. True when it told.
    bool TellDesktopShortcut(SShellNotifyIcon& icon);
    // Tells the keys the desktop bound when they are not the hotkey's. True when it told.
    bool TellDesktopKeys(SShellNotifyIcon& icon);
    // What the desktop made of the start/stop hotkey.
    ui::DesktopShortcut DesktopShortcut() const;
    void OnDesktopShortcutSettled();
    // The desktop's other keys beside the hotkey; hidden when there are none.
    void ShowDesktopKeys();

    // ClickWindow: the engine's timer and visibility go through this window.
    void SetClickTimer(std::uint32_t milliseconds) override { SetTimer(kClickTimerId, milliseconds); }
    void KillClickTimer() override { KillTimer(kClickTimerId); }
    void BeginPreciseTiming() override;
    void EndPreciseTiming() override { preciseTiming_.End(); }
    void HideDuringRun() override;
    void ShowAfterRun() override;
    // A notice, beside the window shown again.
    void ShowInputProblem(std::u16string_view problem) override;
    // Shown (restored when minimised) and stacked above the other windows.
    void BringToFront();

    // Checks the radio of the stored click type, as the window opens.
    void ShowStoredClickType();
    void OnClickTypePressed(const ClickTypeEntry& type);
    void OnIntervalChosen();
    void SyncIntervalList();
    void OnHotkeyChosen();
    void OpenSettings();
    // `zintra --toggle`, `--start` or `--stop` (msg::kRunToggle...) from the command line.
    void OnRunCommand(std::uintptr_t command);
    void OpenAddress(const std::u16string& address);

    ClickSettings settings_;
    // Before the engine: a run still going at exit ends its section here.
    ui::PreciseTimingSection preciseTiming_;
    ClickEngine engine_;
    bool initialised_ = false;
    bool storeUnavailable_ = false;  // the settings could not be loaded or stored
    // Why input cannot reach the desktop as the program starts; said once.
    std::u16string startInputProblem_;
    // The start's notices wait for the desktop's answer about the shortcut.
    bool startNoticesWaiting_ = false;
    static constexpr std::uint32_t kDesktopShortcutPatienceMs = 10000;
    // The last settings window; it lives until the next one is opened.
    std::unique_ptr<CSettingDlg> settingDlg_;
    bool settingsOpen_ = false;  // the settings window holds the start/stop hotkey
};

}  // namespace zintra
