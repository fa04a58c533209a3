// A check box ("check"): a click toggles it and raises EventCmd; setting the
// state from code raises nothing.
#pragma once

#include "ui/core/SWindow.h"

namespace zintra::ui {

class SCheckBox : public SWindow {
    ZUI_CLASS_NAME(SWindow, "check")
public:
    SCheckBox();
    std::optional<AccessibleRole> GetAccessibleRole() const override;
    void OnClick() override;
    platform::Size GetDesiredSize(int widthHint) const override;

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    void PaintContent(Surface& surface) override;
    // The box (or circle) beside the text.
    platform::Rect IndicatorRect() const;
};

}  // namespace zintra::ui
