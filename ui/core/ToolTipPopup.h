// The tooltip window of a host: a passive pop-up with one line of text,
// drawn at the owner's scale and kept on the work area of the pointer's
// monitor.
#pragma once

#include <string>
#include <string_view>

#include "ui/core/PopupWindow.h"

namespace zintra::ui {

class ToolTipPopup final : public PopupWindow {
public:
    // Layout units around the text.
    static constexpr int kPaddingX = 5;
    static constexpr int kPaddingY = 3;

    explicit ToolTipPopup(Backend& backend) : PopupWindow(backend) {}

    // Shows `text` with the tip's top-left corner at a screen point, moved in
    // from the right and bottom edges of that monitor's work area.
    void Show(platform::NativeWindow owner, std::u16string_view text, platform::Point screenPoint);
    const std::u16string& Text() const { return text_; }

    void PaintPopup(Surface& surface) override;

private:
    std::u16string text_;
    platform::Size size_;  // layout units
};

}  // namespace zintra::ui
