#include "ui/headless/PngSurface.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>

#ifdef ZINTRA_HAVE_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

namespace zintra::ui {

namespace {

platform::Rect Intersect(const platform::Rect& a, const platform::Rect& b) {
    platform::Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                     std::min(a.bottom, b.bottom)};
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}

}  // namespace

// Glyphs from a CJK-capable font file; nothing when FreeType or the font is missing.
class PngSurface::TextRenderer {
public:
    TextRenderer() {
#ifdef ZINTRA_HAVE_FREETYPE
        const char* path = std::getenv("ZINTRA_FONT");
        if (path == nullptr) path = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
        if (FT_Init_FreeType(&library_) == 0 && FT_New_Face(library_, path, 0, &face_) == 0) ready_ = true;
#endif
    }
    ~TextRenderer() {
#ifdef ZINTRA_HAVE_FREETYPE
        if (face_ != nullptr) FT_Done_Face(face_);
        if (library_ != nullptr) FT_Done_FreeType(library_);
#endif
    }
    bool Ready() const { return ready_; }

    // Calls plot(x, y, coverage) for each glyph pixel of the text with its
    // pen starting at (x, baseline); returns the advance width.
    template <class Plot>
    int Draw(const std::u16string& text, int size, bool bold, int x, int baseline, Plot plot) {
        int pen = x;
#ifdef ZINTRA_HAVE_FREETYPE
        if (!ready_) return 0;
        FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(std::max(1, size)));
        for (char16_t c : text) {
            if (FT_Load_Char(face_, c, FT_LOAD_RENDER) != 0) continue;
            const FT_GlyphSlot glyph = face_->glyph;
            for (unsigned row = 0; row < glyph->bitmap.rows; ++row) {
                for (unsigned col = 0; col < glyph->bitmap.width; ++col) {
                    const int coverage = glyph->bitmap.buffer[row * glyph->bitmap.pitch + col];
                    if (coverage == 0) continue;
                    const int px = pen + glyph->bitmap_left + static_cast<int>(col);
                    const int py = baseline - glyph->bitmap_top + static_cast<int>(row);
                    plot(px, py, coverage);
                    if (bold) plot(px + 1, py, coverage);
                }
            }
            pen += static_cast<int>(glyph->advance.x >> 6) + (bold ? 1 : 0);
        }
#else
        (void)text, (void)size, (void)bold, (void)baseline, (void)plot;
#endif
        return pen - x;
    }

private:
    bool ready_ = false;
#ifdef ZINTRA_HAVE_FREETYPE
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
#endif
};

PngSurface::PngSurface(int width, int height, PictureSource pictures)
    : pictures_(std::move(pictures)), text_(std::make_unique<TextRenderer>()) {
    canvas_.width = std::max(1, width);
    canvas_.height = std::max(1, height);
    canvas_.pixels.assign(static_cast<std::size_t>(canvas_.width) * canvas_.height * 4, 0);
    clips_.push_back({0, 0, canvas_.width, canvas_.height});
}

PngSurface::~PngSurface() = default;

void PngSurface::Blend(int x, int y, Color color, int coverage) {
    if (!Clip().Contains({x, y})) return;
    const int alpha = color.alpha * coverage / 255;
    if (alpha == 0) return;
    auto* p = &canvas_.pixels[(static_cast<std::size_t>(y) * canvas_.width + x) * 4];
    const int destinationAlpha = p[3];
    const int outAlpha = alpha + destinationAlpha * (255 - alpha) / 255;
    if (outAlpha == 0) return;
    const auto mix = [&](int source, int destination) {
        return static_cast<std::uint8_t>((source * alpha + destination * destinationAlpha * (255 - alpha) / 255) / outAlpha);
    };
    p[0] = mix(color.red, p[0]);
    p[1] = mix(color.green, p[1]);
    p[2] = mix(color.blue, p[2]);
    p[3] = static_cast<std::uint8_t>(outAlpha);
}

void PngSurface::FillRect(const platform::Rect& rect, Color color) {
    const platform::Rect area = Intersect(rect, Clip());
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) Blend(x, y, color, 255);
    }
}

void PngSurface::FrameRect(const platform::Rect& rect, Color color, int width) {
    width = std::max(1, width);
    FillRect({rect.left, rect.top, rect.right, rect.top + width}, color);
    FillRect({rect.left, rect.bottom - width, rect.right, rect.bottom}, color);
    FillRect({rect.left, rect.top + width, rect.left + width, rect.bottom - width}, color);
    FillRect({rect.right - width, rect.top + width, rect.right, rect.bottom - width}, color);
}

void PngSurface::DrawLine(platform::Point from, platform::Point to, Color color, int width) {
    const int steps = std::max({std::abs(to.x - from.x), std::abs(to.y - from.y), 1});
    const int half = std::max(1, width) / 2;
    for (int i = 0; i <= steps; ++i) {
        const int x = from.x + (to.x - from.x) * i / steps;
        const int y = from.y + (to.y - from.y) * i / steps;
        FillRect({x - half, y - half, x - half + std::max(1, width), y - half + std::max(1, width)}, color);
    }
}

void PngSurface::DrawText(const platform::Rect& rect, const std::u16string& text, const Font& font, Color color,
                          std::uint32_t textMode) {
    if (text.empty()) return;
    PushClip(rect);
    const int size = font.size;
    if (!text_->Ready()) {
        // No font: a box per character keeps the layout readable.
        int x = rect.left;
        for (char16_t c : text) {
            const int advance = c < 0x80 ? (size + 1) / 2 : size;
            FrameRect({x + 1, rect.top + (rect.Height() - size) / 2, x + advance - 1, rect.top + (rect.Height() + size) / 2},
                      color, 1);
            x += advance;
        }
        PopClip();
        return;
    }
    // Measure first (drawing nowhere), then place by the text mode.
    const int width = text_->Draw(text, size, font.bold, 0, 0, [](int, int, int) {});
    int x = rect.left;
    if (textMode & text_mode::kCenter) x = rect.left + (rect.Width() - width) / 2;
    if (textMode & text_mode::kRight) x = rect.right - width;
    int top = rect.top;
    if (textMode & text_mode::kVCenter) top = rect.top + (rect.Height() - size) / 2;
    const int baseline = top + size * 7 / 8;
    text_->Draw(text, size, font.bold, x, baseline, [&](int px, int py, int coverage) { Blend(px, py, color, coverage); });
    if (font.underline) FillRect({x, baseline + 2, x + width, baseline + 3}, color);
    PopClip();
}

void PngSurface::CopyScaled(const Bitmap& source, const platform::Rect& from, const platform::Rect& to,
                            std::uint8_t alpha) {
    if (from.Width() <= 0 || from.Height() <= 0 || to.Width() <= 0 || to.Height() <= 0) return;
    const platform::Rect area = Intersect(to, Clip());
    for (int y = area.top; y < area.bottom; ++y) {
        const int sy = from.top + (y - to.top) * from.Height() / to.Height();
        for (int x = area.left; x < area.right; ++x) {
            const int sx = from.left + (x - to.left) * from.Width() / to.Width();
            if (sx < 0 || sy < 0 || sx >= source.width || sy >= source.height) continue;
            const auto* p = &source.pixels[(static_cast<std::size_t>(sy) * source.width + sx) * 4];
            Blend(x, y, Color{p[0], p[1], p[2], p[3]}, alpha);
        }
    }
}

void PngSurface::DrawSkin(const platform::Rect& rect, const Skin& skin, int state, std::uint8_t alpha) {
    const Bitmap* picture = pictures_ ? pictures_(skin) : nullptr;
    if (picture == nullptr || picture->Empty()) return;
    const int states = std::max(1, skin.states);
    const int cellWidth = picture->width / states;
    const int left = std::clamp(state, 0, states - 1) * cellWidth;
    const platform::Rect cell{left, 0, left + cellWidth, picture->height};
    if (skin.tile) {
        for (int y = rect.top; y < rect.bottom; y += cell.Height()) {
            for (int x = rect.left; x < rect.right; x += cell.Width()) {
                PushClip(rect);
                CopyScaled(*picture, cell, {x, y, x + cell.Width(), y + cell.Height()}, alpha);
                PopClip();
            }
        }
        return;
    }
    const platform::Rect m = skin.margin;
    if (m.left + m.right == 0 && m.top + m.bottom == 0) {
        CopyScaled(*picture, cell, rect, alpha);
        return;
    }
    // Nine parts: corners kept, edges and centre stretched.
    const int sx[4] = {cell.left, cell.left + m.left, cell.right - m.right, cell.right};
    const int sy[4] = {cell.top, cell.top + m.top, cell.bottom - m.bottom, cell.bottom};
    const int dx[4] = {rect.left, rect.left + m.left, rect.right - m.right, rect.right};
    const int dy[4] = {rect.top, rect.top + m.top, rect.bottom - m.bottom, rect.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            CopyScaled(*picture, {sx[column], sy[row], sx[column + 1], sy[row + 1]},
                       {dx[column], dy[row], dx[column + 1], dy[row + 1]}, alpha);
        }
    }
}

void PngSurface::PushClip(const platform::Rect& rect) { clips_.push_back(Intersect(rect, Clip())); }

void PngSurface::PopClip() {
    if (clips_.size() > 1) clips_.pop_back();
}

bool PngSurface::WritePng(const std::string& path) const {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(canvas_.width);
    image.height = static_cast<png_uint_32>(canvas_.height);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, canvas_.pixels.data(), 0, nullptr) != 0;
}

}  // namespace zintra::ui
