#include "ui/controls/SScrollView.h"

#include <algorithm>

#include "base/TextUtil.h"

namespace zintra::ui {

platform::Point SScrollView::ClampOrigin(platform::Point origin) const {
    const platform::Rect client = GetClientRect();
    return {std::clamp(origin.x, 0, std::max(0, viewSize_.width - client.Width())),
            std::clamp(origin.y, 0, std::max(0, viewSize_.height - client.Height()))};
}

void SScrollView::SetViewOrigin(platform::Point origin) {
    origin_ = ClampOrigin(origin);
    RequestLayout();
    Invalidate();
}

void SScrollView::OnMouseWheel(int delta) {
    // One notch (120) moves three lines of 20 pixels.
    SetViewOrigin({origin_.x, origin_.y - delta / 120 * 60});
}

bool SScrollView::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "viewSize") {
        const auto comma = value.find(',');
        const int width = ParseIntOr(value.substr(0, comma), -1);
        const int height = comma == std::string_view::npos ? -1 : ParseIntOr(value.substr(comma + 1), -1);
        if (width >= 0 && height >= 0) {
            fixedViewSize_ = platform::Size{std::min(width, 100000), std::min(height, 100000)};
        } else {
            fixedViewSize_.reset();
        }
        return true;
    }
    return SWindow::ApplyAttribute(name, value, loading);
}

void SScrollView::LayoutChildren() {
    const platform::Rect client = GetClientRect();
    if (fixedViewSize_) {
        viewSize_ = *fixedViewSize_;
    } else {
        // Lay the content out on the client's width to learn its height.
        platform::Rect probe{client.left, client.top, client.right, client.bottom};
        std::optional<platform::Rect> previous;
        int bottom = client.bottom;
        for (const auto& child : GetChildren()) {
            child->UpdateLayout(probe, previous);
            const platform::Rect placed = child->GetWindowRect();
            bottom = std::max(bottom, placed.bottom);
            previous = placed;
        }
        viewSize_ = {client.Width(), bottom - client.top};
    }
    origin_ = ClampOrigin(origin_);
    const platform::Rect view{client.left - origin_.x, client.top - origin_.y, client.left - origin_.x + viewSize_.width,
                              client.top - origin_.y + viewSize_.height};
    std::optional<platform::Rect> previous;
    for (const auto& child : GetChildren()) {
        child->UpdateLayout(view, previous);
        previous = child->GetWindowRect();
    }
}

}  // namespace zintra::ui
