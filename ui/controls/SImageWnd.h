// A picture ("img"): one state of a skin at its natural size.
#pragma once

#include "ui/core/SWindow.h"

namespace zintra::ui {

class SImageWnd : public SWindow {
    ZUI_CLASS_NAME(SWindow, "img")
public:
    SImageWnd();
    void SetIcon(int state);

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    void OnPaint(Surface& surface) override;

private:
    int state_ = 0;
};

}  // namespace zintra::ui
