// Static text ("text"): one line, or several with multiLines="1".
#pragma once

#include "ui/core/SWindow.h"

namespace zintra::ui {

class SStatic : public SWindow {
    ZUI_CLASS_NAME(SWindow, "text")
public:
    SStatic();
    // Static text with no words is decoration.
    std::optional<AccessibleRole> GetAccessibleRole() const override;
    platform::Size GetDesiredSize(int widthHint) const override;

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;

private:
    bool multiLine_ = false;
};

}  // namespace zintra::ui
