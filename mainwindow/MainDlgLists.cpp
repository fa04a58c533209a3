// The main window's two lists: the interval in seconds and the start/stop
// hotkey, each with a custom entry that opens a dialog.
#include <cstdio>

#include "mainwindow/CMainDlg.h"
#include "base/NumberText.h"
#include "dialogs/CustomDlg2.h"
#include "dialogs/CustomTimeDlg.h"
#include "ui/controls/SComboBox.h"
#include "ui/controls/SStatic.h"

namespace zintra {

namespace {

// The interval each list entry stands for, by item data; 10 is the entry
// made for a custom interval, matching only an interval of exactly 0.
bool PresetSeconds(std::intptr_t data, float& seconds) {
    static const float kPresets[] = {0.01f, 0.02f, 0.05f, 0.1f, 0.2f, 0.6f, 1.0f, 2.0f, 3.0f, 0.0f};
    if (data < 1 || data > 10) return false;
    seconds = kPresets[data - 1];
    return true;
}

constexpr int kCustomIntervalPosition = 9;
constexpr std::intptr_t kCustomIntervalData = 10;

}  // namespace

void CMainDlg::OnIntervalChosen() {
    auto* list = FindChildByName2<ui::SComboBox>("cbx_Time");
    if (list == nullptr) return;
    const int selection = list->GetCurSel();
    if (selection < 0) return;
    if (list->GetItemData(selection) != 0) {
        const std::u16string text = list->GetLBText(selection);
        if (text.empty()) return;
        const float seconds = ReadSeconds(text);
        if (seconds > 0) settings_.interval = seconds;  // 0 or less is not an interval
        return;
    }
    if (!initialised_) return;
    {
        CustomTimeDlg dialog(&settings_);
        dialog.DoModal(GetHwnd());
    }
    // Whatever the dialog's result, the list shows the interval in force.
    SyncIntervalList();
}

void CMainDlg::SyncIntervalList() {
    auto* list = FindChildByName2<ui::SComboBox>("cbx_Time");
    if (list == nullptr) return;
    for (int i = 0; i < list->GetCount(); ++i) {
        float preset = 0;
        if (list->GetItemData(i) > 0 && PresetSeconds(list->GetItemData(i), preset) && preset == settings_.interval) {
            list->SetCurSel(i);
            return;
        }
    }
    if (list->GetCount() <= 2) return;
    char text[64];
    std::snprintf(text, sizeof(text), "%0.2f", static_cast<double>(settings_.interval));
    if (list->GetCount() > 10) list->DeleteString(kCustomIntervalPosition);
    list->InsertItem(kCustomIntervalPosition, std::u16string(text, text + std::char_traits<char>::length(text)),
                     kCustomIntervalData);
    list->SetCurSel(kCustomIntervalPosition);
}

void CMainDlg::OnHotkeyChosen() {
    auto* list = FindChildByName2<ui::SComboBox>("cbx_hotkey");
    if (list == nullptr) return;
    const int selection = list->GetCurSel();
    if (selection < 0) return;
    const std::intptr_t data = list->GetItemData(selection);
    std::u16string shown;
    if (data != 0) {
        settings_.hotkeyVk = static_cast<std::uint32_t>(data);
        settings_.hotkeyModifiers = 0;
        settings_.SetHotkeyText(list->GetLBText(selection));
        shown = settings_.HotkeyText();
    } else if (initialised_) {
        CustomDlg2 dialog(&settings_);
        // Cancelled: the earlier hotkey stays registered and shown.
        if (dialog.DoModal(GetHwnd()) == 0) return;
        shown = settings_.HotkeyText();
    }
    if (auto* label = FindChildByName("txt_hotkey")) label->SetWindowText(shown);
    RegisterHotkey();
}

}  // namespace zintra
