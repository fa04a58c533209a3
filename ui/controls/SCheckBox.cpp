#include "ui/controls/SCheckBox.h"

#include <algorithm>

#include "ui/render/Surface.h"
#include "base/TextUtil.h"

namespace zintra::ui {

namespace {
constexpr int kIndicator = 14;
constexpr int kGap = 4;
}  // namespace

SCheckBox::SCheckBox() { SetFocusable(true); }

void SCheckBox::OnClick() {
    SetCheck(!IsChecked());
    FireCommand();
}

platform::Size SCheckBox::GetDesiredSize(int) const {
    const platform::Size text = MeasureText(GetWindowText());
    return {kIndicator + kGap + text.width, std::max(kIndicator + 2, text.height)};
}

bool SCheckBox::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "checked") {
        SetCheck(ParseBoolOr(value, IsChecked()));
        return true;
    }
    return SWindow::ApplyAttribute(name, value, loading);
}

platform::Rect SCheckBox::IndicatorRect() const {
    const platform::Rect rect = GetWindowRect();
    const int top = rect.top + (rect.Height() - kIndicator) / 2;
    return {rect.left, top, rect.left + kIndicator, top + kIndicator};
}

void SCheckBox::PaintContent(Surface& surface) {
    const platform::Rect box = IndicatorRect();
    const Color color = GetTextColor();
    surface.FillRect(box, Color{255, 255, 255, 255});
    surface.FrameRect(box, color, 1);
    if (IsChecked()) {
        // The mark is dark on the white box whatever colour the text has.
        const Color mark{0x01, 0x5C, 0x5D, 255};
        surface.DrawLine({box.left + 3, box.top + 7}, {box.left + 6, box.top + 10}, mark, 2);
        surface.DrawLine({box.left + 6, box.top + 10}, {box.left + 11, box.top + 3}, mark, 2);
    }
    platform::Rect text = GetWindowRect();
    text.left = box.right + kGap;
    surface.DrawText(text, GetWindowText(), GetFont(), color, text_mode::kSingleLine | text_mode::kVCenter);
}

std::optional<AccessibleRole> SCheckBox::GetAccessibleRole() const { return AccessibleRole::CheckBox; }

}  // namespace zintra::ui
