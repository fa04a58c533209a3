#include "mainwindow/CMainDlg.h"

#include <cctype>
#include <cstdio>

#include "clicker/ClickTypes.h"
#include "hotkey/ShortcutNotice.h"
#include "hotkey/StartStopHotkey.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "settings/CSettingDlg.h"
#include "tray/SShellNotifyIcon.h"
#include "ui/controls/SComboBox.h"
#include "ui/core/Backend.h"
#include "ui/controls/SRadioBox.h"
#include "ui/controls/SStatic.h"
#include "base/TextUtil.h"

namespace zintra {

namespace {

// Web addresses carry their text as UTF-8 bytes, unreserved ones as they are.
std::u16string PercentEncode(std::u16string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::u16string encoded;
    for (const unsigned char byte : Utf16ToUtf8(text)) {
        if (std::isalnum(byte) || byte == '-' || byte == '_' || byte == '.' || byte == '~') {
            encoded.push_back(byte);
        } else {
            encoded += {u'%', static_cast<char16_t>(kHex[byte >> 4]), static_cast<char16_t>(kHex[byte & 15])};
        }
    }
    return encoded;
}

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

CMainDlg::CMainDlg() : ui::SHostWnd("LAYOUT:XML_MAINWND"), engine_(settings_, platform::Current()) {
    engine_.SetNotifier(this);
}

CMainDlg::~CMainDlg() {
    // The engine outlives this window object's own parts; it must not call back.
    engine_.SetWindow(nullptr);
}

std::u16string CMainDlg::SearchAddress() {
    return Ascii(ZINTRA_SEARCH_URL) + u"?wd=" + PercentEncode(u"Zintra鼠标点击器");
}

std::u16string CMainDlg::SiteAddress() { return Ascii(ZINTRA_SITE_URL); }

SShellNotifyIcon* CMainDlg::TrayIcon() const { return FindChildByID2<SShellNotifyIcon>(kTrayControlId); }

bool CMainDlg::TrayMissing() const {
    const SShellNotifyIcon* icon = TrayIcon();
    return platform::Current().GetShell().KeepsWindowWithoutTray() && (icon == nullptr || !icon->InTray());
}

void CMainDlg::EnterTray() {
    SShellNotifyIcon* icon = TrayIcon();
    if (icon != nullptr) icon->AddTrayIcon();
    // A hidden start with nothing to bring the window back shows it minimised.
    if (TrayMissing() && !IsWindowVisible()) ShowWindow(msg::kSwShowMinimized);
    // Whether to tell how to bind a desktop shortcut waits for the desktop's
    // answer about ours (msg::kDesktopShortcutSettled).
    if (DesktopShortcut().state == ui::DesktopShortcut::State::Asking) {
        startNoticesWaiting_ = true;
        // A desktop that never answers must not swallow the other notices.
        SetTimer(kStartNoticesTimerId, kDesktopShortcutPatienceMs);
        return;
    }
    ShowStartNotices();
}

ui::DesktopShortcut CMainDlg::DesktopShortcut() const {
    return ui::CurrentBackend().DesktopShortcutOf(GetHwnd(), kStartStopHotkeyId);
}

void CMainDlg::ShowStartNotices() {
    if (startNoticesWaiting_) KillTimer(kStartNoticesTimerId);
    startNoticesWaiting_ = false;
    // Said even without an icon: the desktop shows notices all the same.
    SShellNotifyIcon* icon = TrayIcon();
    if (icon == nullptr) return;
    if (!storeUnavailable_ && TellDesktopShortcut(*icon)) return;
    // Clicks that cannot reach the desktop matter more than settings that cannot be kept.
    if (!startInputProblem_.empty()) {
        icon->ShowBalloon(startInputProblem_.c_str(), u"Zintra");
        return;
    }
    if (storeUnavailable_) {
        icon->ShowBalloon(kStoreUnavailableNotice, u"Zintra");
        return;
    }
    if (TellDesktopKeys(*icon)) return;
    // A balloon still showing from an earlier run goes away.
    icon->ShowBalloon(u"", nullptr);
}

bool CMainDlg::TellDesktopShortcut(SShellNotifyIcon& icon) {
    platform::Platform& platform = platform::Current();
    if (!ShortcutNoticeDue(platform, DesktopShortcut())) return false;
    std::fputs("zintra: the hotkey works here only while a Zintra window has the focus; "
               "bind `zintra --toggle` to a desktop shortcut instead\n",
               stderr);
    icon.ShowBalloon(kShortcutNotice, kShortcutNoticeTitle);
    RememberShortcutNotice(platform.GetRegistry());
    return true;
}

bool CMainDlg::TellDesktopKeys(SShellNotifyIcon& icon) {
    const ui::DesktopShortcut shortcut = DesktopShortcut();
    if (shortcut.state != ui::DesktopShortcut::State::Bound || shortcut.otherKeys.empty()) return false;
    icon.ShowBalloon((kDesktopKeysNotice + shortcut.otherKeys).c_str(), u"Zintra");
    return true;
}

void CMainDlg::OnDesktopShortcutSettled() {
    ShowDesktopKeys();
    if (startNoticesWaiting_) {
        ShowStartNotices();
        return;
    }
    // The hotkey changed since: the new answer is said as at start.
    if (SShellNotifyIcon* icon = TrayIcon()) {
        if (!TellDesktopKeys(*icon) && !storeUnavailable_) TellDesktopShortcut(*icon);
    }
}

void CMainDlg::ShowDesktopKeys() {
    auto* label = FindChildByName("txt_desktopkeys");
    if (label == nullptr) return;
    const ui::DesktopShortcut shortcut = DesktopShortcut();
    const bool other = shortcut.state == ui::DesktopShortcut::State::Bound && !shortcut.otherKeys.empty();
    label->SetWindowText(other ? kDesktopKeysLabel + shortcut.otherKeys : std::u16string());
    label->SetAttribute("show", other ? "1" : "0");
}

void CMainDlg::ShowBalloon(std::u16string_view text, std::u16string_view title) {
    if (SShellNotifyIcon* icon = TrayIcon()) {
        const std::u16string textCopy(text), titleCopy(title);
        icon->ShowBalloon(textCopy.c_str(), titleCopy.c_str());
    }
}

void CMainDlg::BeginPreciseTiming() { preciseTiming_.Begin(ui::CurrentBackend()); }

void CMainDlg::HideDuringRun() {
    // Without a tray icon a hidden window could not be found again after the run.
    if (TrayMissing()) return;
    ui::CurrentBackend().ShowWindow(GetHwnd(), msg::kSwHide);
}

void CMainDlg::ShowAfterRun() { BringToFront(); }

void CMainDlg::ShowInputProblem(std::u16string_view problem) {
    BringToFront();
    ShowBalloon(problem, u"Zintra");
}

void CMainDlg::BringToFront() {
    ui::Backend& windows = ui::CurrentBackend();
    windows.ShowWindow(GetHwnd(), msg::kSwShow);
    windows.SetWindowPos(GetHwnd(), 0, platform::Rect{}, msg::kSwpNoSize | msg::kSwpNoMove | msg::kSwpNoRedraw);
}

void CMainDlg::RegisterHotkey() {
    RegisterStartStopHotkey(ui::CurrentBackend(), GetHwnd(), settings_);
    // The desktop's keys of the hotkey before are no longer true.
    ShowDesktopKeys();
}

std::optional<std::intptr_t> CMainDlg::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam,
                                                       std::intptr_t) {
    switch (message) {
        case msg::kInitDialog:
            OnInitDialog();
            return 0;
        case msg::kClose:
            Exit();
            return 0;
        case msg::kCommand:
            // Tray menu commands come with a high word of 0.
            if (((wParam >> 16) & 0xFFFF) == 0) {
                const auto command = wParam & 0xFFFF;
                if (command == 5) ShowWindow(msg::kSwShow);
                if (command == 6) Exit();
            }
            return 0;
        case msg::kTimer:
            if (wParam == kStartNoticesTimerId) {
                if (startNoticesWaiting_) ShowStartNotices();
                return 0;
            }
            // Every timer goes on to the toolkit, except the tick that ends a run at its limit.
            if (!engine_.OnTimer(wParam)) return 0;
            return std::nullopt;
        case msg::kHotKey:
            if (wParam != static_cast<std::uintptr_t>(kStartStopHotkeyId)) return std::nullopt;
            engine_.Toggle();
            return 0;
        case msg::kMainWindowQuery:
            return 0;
        case msg::kDesktopShortcutSettled:
            if (wParam == static_cast<std::uintptr_t>(kStartStopHotkeyId)) OnDesktopShortcutSettled();
            return 0;
        case msg::kShowMainWindow:
            if (wParam == 0) {
                BringToFront();
            } else {
                OnRunCommand(wParam);
            }
            return 0;
        default:
            return std::nullopt;
    }
}

void CMainDlg::OnRunCommand(std::uintptr_t command) {
    if (command != msg::kRunToggle && command != msg::kRunStart && command != msg::kRunStop) return;
    // The command is one press of the start/stop hotkey, so it goes where a
    // press would: to the settings window's count test while that window is open.
    ui::SHostWnd* holder = this;
    bool running = engine_.Running();
    if (settingsOpen_ && settingDlg_) {
        holder = settingDlg_.get();
        running = settingDlg_->TestRunning();
    }
    // --start and --stop press it only when the press starts or stops something.
    if ((command == msg::kRunStart && running) || (command == msg::kRunStop && !running)) return;
    const auto keys = static_cast<std::intptr_t>((settings_.hotkeyVk << 16) | (settings_.hotkeyModifiers & 0xFFFF));
    holder->SendMessage(msg::kHotKey, static_cast<std::uintptr_t>(kStartStopHotkeyId), keys);
}

void CMainDlg::OnInitDialog() {
    engine_.SetWindow(this);
    initialised_ = true;
    // A store that cannot be opened or created (an unwritable or full folder)
    // leaves the defaults in force: the hotkey never depends on the store.
    if (!settings_.Load(platform::Current().GetRegistry())) {
        storeUnavailable_ = true;
        std::fputs("zintra: the settings cannot be stored; running on the defaults\n", stderr);
    }
    // A desktop that lets no click through is said at once, not at the first run.
    const std::string inputProblem = platform::Current().GetMouseInput().InputProblem();
    if (!inputProblem.empty()) {
        std::fprintf(stderr, "zintra: %s\n", inputProblem.c_str());
        startInputProblem_ = Utf8ToUtf16(inputProblem);
    }

    SyncIntervalList();
    if (auto* interval = FindChildByName("cbx_Time")) interval->SetAttribute("enable", "1");
    ShowStoredClickType();

    RegisterHotkey();
    if (auto* list = FindChildByName2<ui::SComboBox>("cbx_hotkey")) {
        if (settings_.hotkeyModifiers == 0) {
            for (int i = 0; i < list->GetCount(); ++i) {
                if (list->GetItemData(i) == static_cast<std::intptr_t>(settings_.hotkeyVk)) {
                    list->SetCurSel(i);
                    break;
                }
            }
        }
    }
    if (auto* label = FindChildByName("txt_hotkey")) label->SetWindowText(settings_.HotkeyText());
}

void CMainDlg::Exit() {
    settings_.Save(platform::Current().GetRegistry());
    UnregisterStartStopHotkey(ui::CurrentBackend(), GetHwnd());
    DestroyWindow();
}

void CMainDlg::OnEvent(ui::EventArgs& event) {
    const std::string& name = event.nameFrom;
    if (event.id == ui::EventCmd::kId) {
        if (name == "btn_close") {
            // Hidden, the program lives on in the notification area; a desktop
            // without one would leave no way back, so there it ends instead.
            const SShellNotifyIcon* icon = TrayIcon();
            if (icon != nullptr && !icon->InTray()) {
                Exit();
                return;
            }
            ShowWindow(msg::kSwHide);
        } else if (name == "btn_min") {
            SendMessage(msg::kSysCommand, msg::kScMinimize, 0);
        } else if (name == "btn_Sett") {
            OpenSettings();
        } else if (name == "logo_url") {
            OpenAddress(SearchAddress());
        } else if (name == "url" || name == "faceback") {
            OpenAddress(SiteAddress());
        } else {
            return;
        }
        event.handled = true;
    } else if (event.id == ui::EventLButtonDown::kId) {
        if (const ClickTypeEntry* type = FindClickTypeOfRadio(name)) {
            OnClickTypePressed(*type);
            event.handled = true;
        }
    } else if (event.id == ui::EventCBSelChange::kId) {
        if (name == "cbx_Time") {
            OnIntervalChosen();
            event.handled = true;
        } else if (name == "cbx_hotkey") {
            OnHotkeyChosen();
            event.handled = true;
        }
    }
}

void CMainDlg::ShowStoredClickType() {
    // Only the radio: the stored value and the caption stay as they are.
    const ClickTypeEntry& type = ClickTypeForRadios(settings_.clickType);
    if (auto* button = FindChildByName2<ui::SRadioBox>(type.radio)) button->SetCheck(true);
    if (!type.UsesInterval()) {
        if (auto* interval = FindChildByName("cbx_Time")) interval->SetAttribute("enable", "0");
    }
}

void CMainDlg::OnClickTypePressed(const ClickTypeEntry& type) {
    auto* button = FindChildByName2<ui::SRadioBox>(type.radio);
    if (button == nullptr || !button->IsChecked()) return;
    settings_.clickType = type.stored;
    if (auto* interval = FindChildByName("cbx_Time")) interval->SetAttribute("enable", type.UsesInterval() ? "1" : "0");
    if (auto* label = FindChildByName("txt_mousetype")) label->SetWindowText(std::u16string(type.caption));
}

void CMainDlg::OpenAddress(const std::u16string& address) {
    // Said where the user looks, not only on stderr: a click that opens nothing is otherwise a mystery.
    if (!platform::Current().GetShell().OpenUrl(address)) ShowBalloon(kNoBrowserNotice, u"Zintra");
}

void CMainDlg::OpenSettings() {
    settingDlg_.reset();
    // While the settings window is open its count test owns the start/stop hotkey.
    UnregisterStartStopHotkey(ui::CurrentBackend(), GetHwnd());
    settingDlg_ = std::make_unique<CSettingDlg>();
    settingDlg_->SetSettings(&settings_);
    settingsOpen_ = true;
    settingDlg_->DoModal(GetHwnd());
    settingsOpen_ = false;
    RegisterHotkey();
}

}  // namespace zintra
