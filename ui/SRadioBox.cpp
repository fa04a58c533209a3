#include "ui/SRadioBox.h"

#include "ui/Surface.h"

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
    const Color mark = MarkColor(color);
    surface.FillRect(box, Color{255, 255, 255, 255});
    surface.FrameRect(box, mark, 1);
    if (IsChecked()) surface.FillRect({box.left + 4, box.top + 4, box.right - 4, box.bottom - 4}, mark);
    platform::Rect text = GetWindowRect();
    text.left = box.right + 4;
    surface.DrawText(text, GetWindowText(), GetFont(), color, text_mode::kSingleLine | text_mode::kVCenter);
}

}  // namespace zintra::ui
