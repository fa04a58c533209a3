// CSettingDlg: opening, the window's messages and events, filling the
// controls, the three option groups, defaults and confirmation.
#include "settings/CSettingDlg.h"

#include <string>

#include "base/NumberText.h"
#include "base/ProgramKey.h"
#include "hotkey/StartStopHotkey.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "settings/AutoRunEntry.h"
#include "settings/SettingBindings.h"
#include "ui/core/Backend.h"
#include "ui/core/CDragWnd.h"
#include "ui/controls/SCheckBox.h"
#include "ui/controls/SEdit.h"

namespace zintra {

namespace {

constexpr int kAboutPage = 2;

// Style classes of the layout (the first keeps the layout's spelling).
constexpr char kClassEnabled[] = "cls_enbale";
constexpr char kClassDisabled[] = "cls_disable";
constexpr char kClassEdit[] = "cls_edit2";
constexpr char kClassEditDisabled[] = "cls_editdisable";

}  // namespace

std::u16string IntegerText(std::int32_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

CSettingDlg::CSettingDlg() : SHostDialog("LAYOUT:XML_SETTING") {}

CSettingDlg::~CSettingDlg() {
    if (dragShown_) ui::CDragWnd::DragEnd();
    preciseTiming_.End();
}

// ---- Messages and events ----

std::optional<std::intptr_t> CSettingDlg::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam,
                                                          std::intptr_t lParam) {
    const platform::Point point{msg::PointParamX(lParam), msg::PointParamY(lParam)};
    switch (message) {
        case msg::kInitDialog:
            OnInitDialog();
            return 0;
        case msg::kClose:
            CloseWindow();
            return 0;
        // Mouse messages go on to the controls after the drag has seen them.
        case msg::kLButtonDown:
            OnLButtonDown(point);
            return std::nullopt;
        case msg::kMouseMove:
            OnMouseMove(point);
            return std::nullopt;
        case msg::kLButtonUp:
            OnLButtonUp();
            return std::nullopt;
        case msg::kActivateApp:
            OnActivateApp();
            return 0;
        case msg::kHotKey:
            if (wParam == kCaptureHotkeyId) {
                OnCaptureHotkey();
                return 0;
            }
            if (wParam == kStartStopHotkeyId) {
                OnStartStopHotkey();
                return 0;
            }
            return std::nullopt;
        case msg::kTimer:
            if (wParam == kTrackCursorTimerId) OnTrackCursorTimer();
            if (wParam == kCountTestTimerId) OnCountTestTimer();
            return std::nullopt;
        case msg::kDestroy:
            // The window's timers and hotkeys die with it; so does what they drove.
            EndDrag();
            ctrlQCapture_ = false;
            testRunning_ = false;
            preciseTiming_.End();
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

void CSettingDlg::OnEvent(ui::EventArgs& event) {
    const std::string& name = event.nameFrom;
    if (event.id == ui::EventCmd::kId) {
        event.handled = true;
        if (name == "btn_close") {
            CloseWindow();
        } else if (name == "useRandomTime") {
            ApplyRandomTimeGroup();
        } else if (name == "useFixedPos") {
            ApplyFixedPosGroup();
        } else if (name == "useLimitCount") {
            ApplyLimitCountGroup();
        } else if (name == "chk_ctrlq") {
            ToggleCtrlQCapture();
        } else if (name == "btn_default") {
            RestoreDefaults();
        } else if (name == "btn_sure") {
            ConfirmSettings();
        } else {
            event.handled = false;
        }
        return;
    }
    if (event.id == ui::EventRENotify::kId && name == "edt_LimitCount") {
        if (static_cast<ui::EventRENotify&>(event).notifyCode == msg::kEnChange && event.sender != nullptr) {
            ShowLimitHint(event.sender->GetWindowText());
        }
        event.handled = true;
        return;
    }
    if (event.id == ui::EventTabSelChanged::kId && name == "tab_main") {
        OnTabChanged(static_cast<ui::EventTabSelChanged&>(event).newSel);
        event.handled = true;
    }
}

void CSettingDlg::OnInitDialog() {
    if (ui::SWindow* crosshair = FindChildByName2<ui::SWindow>("btn_circle")) {
        crosshairRect_ = crosshair->GetWindowRect();
    }
    MakeDragImage();
    if (settings_ != nullptr) {
        RegisterStartStopHotkey(ui::CurrentBackend(), GetHwnd(), *settings_, kStartStopHotkeyId);
    }
    FillControls();
}

void CSettingDlg::CloseWindow() {
    auto& hotkeys = ui::CurrentBackend();
    hotkeys.UnregisterHotKey(GetHwnd(), kCaptureHotkeyId);
    hotkeys.UnregisterHotKey(GetHwnd(), kStartStopHotkeyId);
    EndDialog(0);
}

void CSettingDlg::OnTabChanged(int newPage) {
    // The defaults button means nothing on the about page.
    SetControlAttribute("btn_default", "show", newPage != kAboutPage ? "1" : "0");
}

// ---- Filling the controls ----

void CSettingDlg::FillControls() {
    if (settings_ == nullptr) return;
    const ClickSettings& s = *settings_;
    SetControlText("txt_testHotkey", CountTestHint(s.HotkeyText(), IntegerText(s.limitCount)));
    // The limit edit reports the change, which rewrites the hint from its text.
    for (const SettingBinding& binding : kSettingBindings) {
        const std::int32_t value = binding.Read(s);
        if (binding.IsCheckBox()) {
            SetCheckBox(binding.control, value != 0);
        } else {
            SetControlText(binding.control, IntegerText(value));
        }
    }

    ReadAutoRun();
    SetCheckBox("chk_setAutoRun", settings_->autoRun != 0);

    ApplyRandomTimeGroup();
    ApplyFixedPosGroup();
    ApplyLimitCountGroup();
}

void CSettingDlg::ApplyRandomTimeGroup() {
    if (settings_ == nullptr) return;
    const std::optional<bool> ticked = CheckBoxState("useRandomTime");
    if (!ticked) return;
    settings_->useRandomTime = *ticked ? 1 : 0;
    SetControlAttribute("edt_time", "enable", *ticked ? "1" : "0");
}

void CSettingDlg::ApplyFixedPosGroup() {
    if (settings_ == nullptr) return;
    const std::optional<bool> ticked = CheckBoxState("useFixedPos");
    if (!ticked) return;
    settings_->useFixedPos = *ticked ? 1 : 0;
    const char* enable = *ticked ? "1" : "0";
    const char* editClass = *ticked ? kClassEdit : kClassEditDisabled;
    SetControlAttribute("wnd_useFixedPos", "class", *ticked ? kClassEnabled : kClassDisabled);
    for (const char* edit : {"edt_posX", "edt_posY"}) {
        SetControlAttribute(edit, "enable", enable);
        SetControlAttribute(edit, "class", editClass);
    }
    // A running Ctrl+Q capture stays armed; only the box is greyed.
    SetControlAttribute("chk_ctrlq", "enable", enable);
}

void CSettingDlg::ApplyLimitCountGroup() {
    if (settings_ == nullptr) return;
    const std::optional<bool> ticked = CheckBoxState("useLimitCount");
    if (!ticked) return;
    settings_->useLimitCount = *ticked ? 1 : 0;
    SetControlAttribute("wnd_limitCount", "class", *ticked ? kClassEnabled : kClassDisabled);
    SetControlAttribute("edt_LimitCount", "enable", *ticked ? "1" : "0");
    SetControlAttribute("edt_LimitCount", "class", *ticked ? kClassEdit : kClassEditDisabled);
}

void CSettingDlg::RestoreDefaults() {
    if (settings_ == nullptr) return;
    for (const SettingBinding& binding : kSettingBindings) binding.Write(*settings_, binding.restored);
    FillControls();
}

void CSettingDlg::ConfirmSettings() {
    if (settings_ == nullptr) return;
    ClickSettings& s = *settings_;
    // A missing control leaves its field alone.
    for (const SettingBinding& binding : kSettingBindings) {
        if (const std::optional<std::int32_t> value = BoundControlValue(binding)) binding.Write(s, *value);
    }

    platform::Registry& registry = platform::Current().GetRegistry();
    platform::ScopedRegistryKey key(registry);
    if (OpenProgramKey(registry, key)) {
        // The stored autoRun is the state read at filling; nobody reads it back.
        s.WriteTo(registry, key.Get());
        WriteAutoRun();
    }
    CloseWindow();
}

// ---- Start with the system ----

void CSettingDlg::ReadAutoRun() {
    if (settings_ == nullptr) return;
    if (const std::optional<bool> present = QueryStartWithSystem(platform::Current())) {
        settings_->autoRun = *present ? 1 : 0;
    }
}

void CSettingDlg::WriteAutoRun() {
    if (settings_ == nullptr) return;
    const std::optional<bool> ticked = CheckBoxState("chk_setAutoRun");
    if (!ticked) return;
    // An unchanged box leaves the entry alone, even one that points elsewhere.
    if ((*ticked ? 1 : 0) == settings_->autoRun) return;
    settings_->autoRun = *ticked ? 1 : 0;
    if (*ticked) {
        WriteStartWithSystem(platform::Current());
    } else {
        RemoveStartWithSystem(platform::Current());
    }
}

// ---- Control helpers ----

void CSettingDlg::SetControlText(std::string_view name, const std::u16string& text) {
    if (ui::SWindow* control = FindChildByName2<ui::SWindow>(name)) control->SetWindowText(text);
}

void CSettingDlg::SetCheckBox(std::string_view name, bool checked) {
    if (ui::SCheckBox* box = FindChildByName2<ui::SCheckBox>(name)) box->SetCheck(checked);
}

void CSettingDlg::SetControlAttribute(std::string_view name, std::string_view attribute, std::string_view value) {
    if (ui::SWindow* control = FindChildByName2<ui::SWindow>(name)) control->SetAttribute(attribute, value);
}

std::optional<bool> CSettingDlg::CheckBoxState(std::string_view name) const {
    const ui::SCheckBox* box = FindChildByName2<ui::SCheckBox>(name);
    if (box == nullptr) return std::nullopt;
    return box->IsChecked();
}

std::optional<std::int32_t> CSettingDlg::BoundControlValue(const SettingBinding& binding) const {
    if (!binding.IsCheckBox()) return EditInteger(binding.control);
    const std::optional<bool> ticked = CheckBoxState(binding.control);
    if (!ticked) return std::nullopt;
    return *ticked ? 1 : 0;
}

std::optional<std::int32_t> CSettingDlg::EditInteger(std::string_view name) const {
    const ui::SEdit* edit = FindChildByName2<ui::SEdit>(name);
    if (edit == nullptr) return std::nullopt;
    return ReadInteger(edit->GetWindowText());
}

}  // namespace zintra
