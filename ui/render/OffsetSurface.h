// A surface that moves everything drawn through it by a fixed distance, so a
// control can be painted somewhere it is not laid out (a tab page sliding in)
// while hit testing keeps using its real place.
#pragma once

#include "ui/render/Surface.h"

namespace zintra::ui {

class OffsetSurface final : public Surface {
public:
    OffsetSurface(Surface& target, int dx, int dy) : target_(target), dx_(dx), dy_(dy) {}

    void FillRect(const platform::Rect& rect, Color color) override;
    void FrameRect(const platform::Rect& rect, Color color, int width) override;
    void DrawLine(platform::Point from, platform::Point to, Color color, int width) override;
    void DrawText(const platform::Rect& rect, const std::u16string& text, const Font& font, Color color,
                  std::uint32_t textMode) override;
    void DrawSkin(const platform::Rect& rect, const Skin& skin, int state, std::uint8_t alpha) override;
    void PushClip(const platform::Rect& rect) override;
    void PopClip() override;

private:
    platform::Rect Moved(const platform::Rect& rect) const;
    platform::Point Moved(platform::Point point) const { return {point.x + dx_, point.y + dy_}; }

    Surface& target_;
    int dx_;
    int dy_;
};

}  // namespace zintra::ui
