// A push button ("button"): a click raises EventCmd.
#pragma once

#include "ui/core/SWindow.h"

namespace zintra::ui {

class SButton : public SWindow {
    ZUI_CLASS_NAME(SWindow, "button")
public:
    SButton();
    std::optional<AccessibleRole> GetAccessibleRole() const override;
};

}  // namespace zintra::ui
