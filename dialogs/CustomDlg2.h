// The custom hotkey dialog: the user presses any key combination, and on
// confirmation it becomes the start/stop hotkey in the click settings.
#pragma once

#include "clicker/ClickSettings.h"
#include "ui/core/SHostDialog.h"

namespace zintra {

class CustomDlg2 final : public ui::SHostDialog {
public:
    // Writes into `settings` on confirmation; null writes nothing.
    explicit CustomDlg2(ClickSettings* settings) : ui::SHostDialog("LAYOUT:XML_CUSTOM"), settings_(settings) {}

protected:
    std::optional<std::intptr_t> OnWindowMessage(std::uint32_t message, std::uintptr_t wParam,
                                                 std::intptr_t lParam) override;
    void OnEvent(ui::EventArgs& event) override;

private:
    ClickSettings* settings_;
};

}  // namespace zintra
