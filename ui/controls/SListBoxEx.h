// The list of the extended combo box ("listboxex"), registered by the
// application at start-up.
#pragma once

#include "ui/controls/SListBox.h"

namespace zintra::ui {

class SListBoxEx : public SListBox {
    ZUI_CLASS_NAME(SListBox, "listboxex")
};

}  // namespace zintra::ui
