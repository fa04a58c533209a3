// An off-screen surface that draws into memory and writes a PNG, so a
// window's layout can be looked at without Windows. Text is drawn with
// FreeType when it is available (boxes otherwise).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Bitmap.h"
#include "ui/Surface.h"

namespace zintra::ui {

class PngSurface final : public Surface {
public:
    // `pictures` gives a skin's whole picture (all states), or nothing.
    using PictureSource = std::function<const Bitmap*(const Skin& skin)>;

    PngSurface(int width, int height, PictureSource pictures);
    ~PngSurface() override;

    void FillRect(const platform::Rect& rect, Color color) override;
    void FrameRect(const platform::Rect& rect, Color color, int width) override;
    void DrawLine(platform::Point from, platform::Point to, Color color, int width) override;
    void DrawText(const platform::Rect& rect, const std::u16string& text, const Font& font, Color color,
                  std::uint32_t textMode) override;
    void DrawSkin(const platform::Rect& rect, const Skin& skin, int state, std::uint8_t alpha) override;
    void PushClip(const platform::Rect& rect) override;
    void PopClip() override;

    const Bitmap& Pixels() const { return canvas_; }
    bool WritePng(const std::string& path) const;

private:
    class TextRenderer;

    void Blend(int x, int y, Color color, int coverage);  // coverage 0..255
    void CopyScaled(const Bitmap& source, const platform::Rect& from, const platform::Rect& to, std::uint8_t alpha);
    platform::Rect Clip() const { return clips_.back(); }

    Bitmap canvas_;
    PictureSource pictures_;
    std::vector<platform::Rect> clips_;
    std::unique_ptr<TextRenderer> text_;
};

}  // namespace zintra::ui
