// The extended combo box ("comboboxex"), whose list is the registered
// "listboxex" control.
#pragma once

#include "ui/controls/SComboBox.h"

namespace zintra::ui {

class SComboBoxEx : public SComboBox {
    ZUI_CLASS_NAME(SComboBox, "comboboxex")
protected:
    std::unique_ptr<SListBox> CreateListBox() override;
};

}  // namespace zintra::ui
