// A caption bar ("caption"): pressing on it moves the window.
#pragma once

#include "ui/core/SWindow.h"

namespace zintra::ui {

class SCaption : public SWindow {
    ZUI_CLASS_NAME(SWindow, "caption")
public:
    void OnLButtonDown(platform::Point point) override;
};

}  // namespace zintra::ui
