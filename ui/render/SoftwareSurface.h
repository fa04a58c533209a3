// The surface both backends paint windows with: a software rasterizer over a
// premultiplied 32-bit picture (fills, frames, lines, skins with states,
// margins, stretching and tiling, alpha and clipping). Only the glyphs come
// from outside, so the Win32 and headless pictures of a window agree.
#pragma once

#include <vector>

#include "ui/render/ImageCache.h"
#include "ui/render/PixelBuffer.h"
#include "ui/render/Surface.h"
#include "ui/render/TextRasterizer.h"

namespace zintra::ui {

class SoftwareSurface final : public Surface {
public:
    // Layout coordinates are multiplied by `scale` (the monitor's DPI / 96).
    SoftwareSurface(PixelBuffer& target, ImageCache& images, TextRasterizer& text, double scale = 1.0);

    void FillRect(const platform::Rect& rect, Color color) override;
    void FrameRect(const platform::Rect& rect, Color color, int width) override;
    void DrawLine(platform::Point from, platform::Point to, Color color, int width) override;
    void DrawText(const platform::Rect& rect, const std::u16string& text, const Font& font, Color color,
                  std::uint32_t textMode) override;
    void DrawSkin(const platform::Rect& rect, const Skin& skin, int state, std::uint8_t alpha) override;
    void PushClip(const platform::Rect& rect) override;
    void PopClip() override;

    // Draws a picture (all of `source`'s `from` rectangle) stretched into a
    // target rectangle, in target pixels.
    void DrawPicture(const PixelBuffer& source, const platform::Rect& from, const platform::Rect& to,
                     std::uint8_t alpha);

private:
    platform::Rect ToDevice(const platform::Rect& rect) const;
    int ToDevice(int length) const;
    int StrokeWidth(int width) const;
    void FillDevice(const platform::Rect& rect, std::uint32_t pixel);

    PixelBuffer& target_;
    ImageCache& images_;
    TextRasterizer& text_;
    double scale_;
    platform::Rect clip_;
    std::vector<platform::Rect> clips_;
};

// The overlap of two rectangles (empty, with right <= left, when none).
platform::Rect Intersect(const platform::Rect& a, const platform::Rect& b);

}  // namespace zintra::ui
