#include "dialogs/CustomTimeDlg.h"

#include "base/NumberText.h"
#include "ui/controls/SEdit.h"

namespace zintra {

void CustomTimeDlg::OnEvent(ui::EventArgs& event) {
    if (event.id != ui::EventCmd::kId) return;
    if (event.nameFrom == "btn_sure") {
        auto* edit = FindChildByName2<ui::SEdit>("edt_customtime");
        // Any number is taken as it reads, 0 and negative ones too.
        if (settings_ != nullptr && edit != nullptr) settings_->interval = ReadSeconds(edit->GetWindowText());
        event.handled = true;
        EndDialog(1);
    } else if (event.nameFrom == "btn_cancel") {
        event.handled = true;
        EndDialog(0);
    }
}

}  // namespace zintra
