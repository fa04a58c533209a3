#include "ui/controls/SProgress.h"

#include "ui/core/Accessible.h"

#include <algorithm>

#include "ui/render/Surface.h"
#include "base/TextUtil.h"

namespace zintra::ui {

void SProgress::SetValue(int value) {
    const int old = value_;
    value_ = std::clamp(value, minimum_, maximum_);
    Invalidate();
    if (value_ != old) NotifyAccessible(*this, AccessibleEvent::ValueChange);
}

void SProgress::SetRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    SetValue(value_);
}

bool SProgress::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "min") {
        SetRange(ParseIntOr(value, 0), maximum_);
    } else if (name == "max") {
        SetRange(minimum_, ParseIntOr(value, 100));
    } else if (name == "value") {
        SetValue(ParseIntOr(value, 0));
    } else if (name == "colorBar") {
        if (auto color = Color::Parse(value)) bar_ = *color;
    } else {
        return SWindow::ApplyAttribute(name, value, loading);
    }
    return true;
}

void SProgress::PaintContent(Surface& surface) {
    const platform::Rect client = GetClientRect();
    const long long span = static_cast<long long>(maximum_) - minimum_;
    if (span <= 0) return;
    const auto filled = static_cast<int>(client.Width() * (static_cast<long long>(value_) - minimum_) / span);
    if (filled > 0) surface.FillRect({client.left, client.top, client.left + filled, client.bottom}, bar_);
}

std::optional<AccessibleRole> SProgress::GetAccessibleRole() const { return AccessibleRole::ProgressBar; }

std::optional<std::u16string> SProgress::GetAccessibleValue() const {
    const int range = std::max(1, maximum_ - minimum_);
    const int percent = (value_ - minimum_) * 100 / range;
    return Utf8ToUtf16(std::to_string(percent) + "%");
}

}  // namespace zintra::ui
