#include "ui/controls/SLink.h"

#include "platform/Platform.h"
#include "ui/render/Surface.h"
#include "base/TextUtil.h"

namespace zintra::ui {

SLink::SLink() {
    SetAttribute("msgTransparent", "0", true);
    SetAttribute("cursor", "hand", true);
}

void SLink::OnClick() {
    if (FireCommand() || href_.empty()) return;
    platform::Current().GetShell().OpenUrl(href_);
}

bool SLink::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "href") {
        href_ = Utf8ToUtf16(value);
        return true;
    }
    if (name == "underline") {
        // "dot" draws a dotted underline, "1" a solid one.
        underline_ = value == "dot" || ParseBoolOr(value, false);
        return true;
    }
    return SStatic::ApplyAttribute(name, value, loading);
}

void SLink::PaintContent(Surface& surface) {
    SStatic::PaintContent(surface);
    if (!underline_) return;
    const platform::Rect client = GetClientRect();
    const platform::Size text = MeasureText(GetWindowText());
    const int y = client.top + (client.Height() + text.height) / 2 - 1;
    for (int x = client.left; x < client.left + text.width; x += 2) {
        surface.DrawLine({x, y}, {x + 1, y}, GetTextColor(), 0);  // a hairline at every scale
    }
}

std::optional<AccessibleRole> SLink::GetAccessibleRole() const { return AccessibleRole::Link; }

}  // namespace zintra::ui
