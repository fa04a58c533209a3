#include "dialogs/CustomDlg2.h"

#include "platform/Messages.h"
#include "ui/controls/SHotKeyCtrl.h"

namespace zintra {

std::optional<std::intptr_t> CustomDlg2::OnWindowMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
    if (message == msg::kInitDialog) {
        // Keys go straight to the capture control.
        if (auto* capture = FindChildByName2<ui::SHotKeyCtrl>("ctrl_hk1")) {
            if (capture->IsVisible() && !capture->IsDisabled()) SetFocus(capture);
        }
        return 0;
    }
    return std::nullopt;
}

void CustomDlg2::OnEvent(ui::EventArgs& event) {
    if (event.id != ui::EventCmd::kId) return;
    if (event.nameFrom == "btn_sure") {
        auto* capture = FindChildByName2<ui::SHotKeyCtrl>("ctrl_hk1");
        if (settings_ != nullptr && capture != nullptr) {
            std::uint16_t key = 0;
            std::uint16_t modifiers = 0;
            capture->GetHotKey(key, modifiers);
            settings_->hotkeyVk = key;
            settings_->hotkeyModifiers = modifiers;
            settings_->SetHotkeyText(capture->GetWindowText());
        }
        event.handled = true;
        EndDialog(1);
    } else if (event.nameFrom == "btn_cancel") {
        event.handled = true;
        EndDialog(0);
    }
}

}  // namespace zintra
