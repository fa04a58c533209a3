#include "ui/render/OffsetSurface.h"

namespace zintra::ui {

platform::Rect OffsetSurface::Moved(const platform::Rect& rect) const {
    return {rect.left + dx_, rect.top + dy_, rect.right + dx_, rect.bottom + dy_};
}

void OffsetSurface::FillRect(const platform::Rect& rect, Color color) { target_.FillRect(Moved(rect), color); }

void OffsetSurface::FrameRect(const platform::Rect& rect, Color color, int width) {
    target_.FrameRect(Moved(rect), color, width);
}

void OffsetSurface::DrawLine(platform::Point from, platform::Point to, Color color, int width) {
    target_.DrawLine(Moved(from), Moved(to), color, width);
}

void OffsetSurface::DrawText(const platform::Rect& rect, const std::u16string& text, const Font& font, Color color,
                             std::uint32_t textMode) {
    target_.DrawText(Moved(rect), text, font, color, textMode);
}

void OffsetSurface::DrawSkin(const platform::Rect& rect, const Skin& skin, int state, std::uint8_t alpha) {
    target_.DrawSkin(Moved(rect), skin, state, alpha);
}

void OffsetSurface::PushClip(const platform::Rect& rect) { target_.PushClip(Moved(rect)); }

void OffsetSurface::PopClip() { target_.PopClip(); }

}  // namespace zintra::ui
