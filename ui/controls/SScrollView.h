// A scrolling view ("scrollview"): its children live on a view that can be
// larger than the control; the wheel moves the view. viewSize="w,h" fixes the
// view's size, otherwise it grows to fit the content.
#pragma once

#include <optional>

#include "ui/core/SWindow.h"

namespace zintra::ui {

class SScrollView : public SWindow {
    ZUI_CLASS_NAME(SWindow, "scrollview")
public:
    platform::Point GetViewOrigin() const { return origin_; }
    void SetViewOrigin(platform::Point origin);
    platform::Size GetViewSize() const { return viewSize_; }
    void OnMouseWheel(int delta) override;

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    void LayoutChildren() override;

private:
    platform::Point ClampOrigin(platform::Point origin) const;

    std::optional<platform::Size> fixedViewSize_;
    platform::Size viewSize_;
    platform::Point origin_;
};

}  // namespace zintra::ui
