#include "ui/controls/SRadioBox.h"

#include "ui/render/Surface.h"

namespace zintra::ui {

void SRadioBox::SetCheck(bool checked) {
    if (checked && GetParent() != nullptr) {
        for (const auto& sibling : GetParent()->GetChildren()) {
            auto* radio = dynamic_cast<SRadioBox*>(sibling.get());
            if (radio != nullptr && radio != this && radio->group_ == group_) radio->SWindow::SetCheck(false);
        }
    }
    SWindow::SetCheck(checked);
}

void SRadioBox::OnLButtonDown(platform::Point point) {
    SetFocus();
    SetCheck(true);
    SWindow::OnLButtonDown(point);
}

// A radio stays checked when clicked again.
void SRadioBox::OnClick() { FireCommand(); }

bool SRadioBox::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "group") {
        group_ = std::string(value);
        return true;
    }
    return SCheckBox::ApplyAttribute(name, value, loading);
}

void SRadioBox::PaintContent(Surface& surface) {
    const platform::Rect box = IndicatorRect();
    const Color color = GetTextColor();
    surface.FillRect(box, Color{255, 255, 255, 255});
    surface.FrameRect(box, color, 1);
    // The mark is dark on the white box whatever colour the text has.
    if (IsChecked()) surface.FillRect({box.left + 3, box.top + 3, box.right - 3, box.bottom - 3}, Color{0x01, 0x5C, 0x5D, 255});
    platform::Rect text = GetWindowRect();
    text.left = box.right + 4;
    surface.DrawText(text, GetWindowText(), GetFont(), color, text_mode::kSingleLine | text_mode::kVCenter);
}

std::optional<AccessibleRole> SRadioBox::GetAccessibleRole() const { return AccessibleRole::RadioButton; }

std::optional<std::string> SRadioBox::GetRadioGroup() const { return GetAttribute("group").value_or(""); }

}  // namespace zintra::ui
