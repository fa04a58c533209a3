#include "ui/core/ToolTipPopup.h"

#include <algorithm>

#include "ui/core/Backend.h"
#include "ui/core/ScreenScale.h"
#include "ui/render/Surface.h"

namespace zintra::ui {

namespace {

constexpr Color kTipBackground{0xFF, 0xFF, 0xE1, 255};
constexpr Color kBorder{0x76, 0x76, 0x76, 255};
constexpr Color kTipText{0x00, 0x00, 0x00, 255};

}  // namespace

void ToolTipPopup::Show(platform::NativeWindow owner, std::u16string_view text, platform::Point screenPoint) {
    Close();
    text_ = std::u16string(text);
    if (text_.empty()) return;
    // Measured in layout units, drawn in the owner's pixels.
    const double scale = backend_.WindowScale(owner);
    const platform::Size textSize = backend_.MeasureText(PopupFont(), text_);
    size_ = {textSize.width + 2 * kPaddingX, textSize.height + 2 * kPaddingY};
    const int width = PixelOfUnit(size_.width, scale);
    const int height = PixelOfUnit(size_.height, scale);
    const platform::Rect area = backend_.WorkAreaAt(screenPoint);
    const int left = std::max(area.left, std::min(screenPoint.x, area.right - width));
    const int top = std::max(area.top, std::min(screenPoint.y, area.bottom - height));
    PopupSpec spec;
    spec.owner = owner;
    spec.rect = {left, top, left + width, top + height};
    spec.scale = scale;
    spec.passive = true;
    Open(spec);
}

void ToolTipPopup::PaintPopup(Surface& surface) {
    surface.FillRect({0, 0, size_.width, size_.height}, kTipBackground);
    surface.DrawText({kPaddingX, kPaddingY, size_.width - kPaddingX, size_.height - kPaddingY}, text_, PopupFont(),
                     kTipText, text_mode::kSingleLine | text_mode::kVCenter);
    surface.FrameRect({0, 0, size_.width, size_.height}, kBorder, 0);  // a hairline
}

}  // namespace zintra::ui
