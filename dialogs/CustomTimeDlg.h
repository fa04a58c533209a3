// The custom interval dialog: the user types any interval in seconds, and on
// confirmation it becomes the interval of the click settings.
#pragma once

#include "clicker/ClickSettings.h"
#include "ui/core/SHostDialog.h"

namespace zintra {

class CustomTimeDlg final : public ui::SHostDialog {
public:
    // Writes into `settings` on confirmation; null writes nothing.
    explicit CustomTimeDlg(ClickSettings* settings) : ui::SHostDialog("LAYOUT:XML_CUSTOMTIME"), settings_(settings) {}

protected:
    void OnEvent(ui::EventArgs& event) override;

private:
    ClickSettings* settings_;
};

}  // namespace zintra
