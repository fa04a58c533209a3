// A radio button ("radio"). Radios with the same parent and the same `group`
// attribute form a group: checking one clears the others. Pressing the mouse
// on a radio focuses and checks it before EventLButtonDown is raised.
#pragma once

#include "ui/controls/SCheckBox.h"

namespace zintra::ui {

class SRadioBox : public SCheckBox {
    ZUI_CLASS_NAME(SCheckBox, "radio")
public:
    void SetCheck(bool checked) override;
    std::optional<AccessibleRole> GetAccessibleRole() const override;
    std::optional<std::string> GetRadioGroup() const override;
    void OnLButtonDown(platform::Point point) override;
    void OnClick() override;

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    void PaintContent(Surface& surface) override;

private:
    std::string group_;
};

}  // namespace zintra::ui
