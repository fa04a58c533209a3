#include "ui/controls/SStatic.h"

#include "ui/render/Surface.h"
#include "base/TextUtil.h"

namespace zintra::ui {

SStatic::SStatic() {
    // Labels let clicks through to what lies below (a caption, a panel).
    SetAttribute("msgTransparent", "1", true);
}

platform::Size SStatic::GetDesiredSize(int widthHint) const {
    platform::Size size = SWindow::GetDesiredSize(widthHint);
    if (multiLine_ && widthHint > 0 && size.width > widthHint) {
        // Word wrapping in the measured line height: enough rows for the width.
        const platform::Size line = MeasureText(u"M");
        const int rows = (size.width + widthHint - 1) / widthHint;
        size = {widthHint, rows * std::max(1, line.height) + (size.height - std::max(1, line.height))};
    }
    return size;
}

bool SStatic::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "multiLines") {
        multiLine_ = ParseBoolOr(value, multiLine_);
        SetTextMode(multiLine_ ? text_mode::kWordBreak : (text_mode::kSingleLine | text_mode::kVCenter));
        return true;
    }
    return SWindow::ApplyAttribute(name, value, loading);
}

std::optional<AccessibleRole> SStatic::GetAccessibleRole() const {
    if (GetWindowText().empty()) return std::nullopt;
    return AccessibleRole::StaticText;
}

}  // namespace zintra::ui
