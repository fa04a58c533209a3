#include "sim/headless/FreeTypeTextRasterizer.h"

#include <cstdlib>

#include "ui/render/TextLines.h"

#ifdef ZINTRA_HAVE_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

namespace zintra::ui {

#ifdef ZINTRA_HAVE_FREETYPE

struct FreeTypeTextRasterizer::Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int pixelSize = 0;

    ~Face() {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
    // The rendered glyph of `c` at `size` pixels, or null.
    FT_GlyphSlot Load(char16_t c, int size, bool render) {
        if (size != pixelSize) {
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
            pixelSize = size;
        }
        return FT_Load_Char(face, c, render ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) == 0 ? face->glyph : nullptr;
    }
};

FreeTypeTextRasterizer::FreeTypeTextRasterizer() {
    const char* path = std::getenv("ZINTRA_FONT");
    if (path == nullptr) path = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
    auto face = std::make_unique<Face>();
    if (FT_Init_FreeType(&face->library) == 0 && FT_New_Face(face->library, path, 0, &face->face) == 0) {
        face_ = std::move(face);
    }
}

int FreeTypeTextRasterizer::Advance(const Font& font, char16_t c) {
    const FT_GlyphSlot glyph = face_->Load(c, std::max(1, font.size), false);
    return (glyph != nullptr ? static_cast<int>(glyph->advance.x >> 6) : 0) + (font.bold ? 1 : 0);
}

CoverageMask FreeTypeTextRasterizer::Rasterize(const Font& font, std::u16string_view text, platform::Size box,
                                               std::uint32_t mode) {
    if (!face_) return blocks_.Rasterize(font, text, box, mode);
    const int size = std::max(1, font.size);
    return LayOutLines(text, box, mode, LineHeight(font), [&](char16_t c) { return Advance(font, c); },
                       [&](CoverageMask& mask, char16_t c, int x, int top) {
                           const int baseline = top + size / 6 + size * 7 / 8;
                           if (font.underline) {
                               for (int ux = x; ux < x + Advance(font, c); ++ux) Cover(mask, ux, baseline + 2, 255);
                           }
                           const FT_GlyphSlot glyph = face_->Load(c, size, true);
                           if (glyph == nullptr) return;
                           const FT_Bitmap& bitmap = glyph->bitmap;
                           for (unsigned row = 0; row < bitmap.rows; ++row) {
                               for (unsigned column = 0; column < bitmap.width; ++column) {
                                   const std::uint8_t coverage = bitmap.buffer[row * bitmap.pitch + column];
                                   if (coverage == 0) continue;
                                   const int px = x + glyph->bitmap_left + static_cast<int>(column);
                                   const int py = baseline - glyph->bitmap_top + static_cast<int>(row);
                                   Cover(mask, px, py, coverage);
                                   if (font.bold) Cover(mask, px + 1, py, coverage);
                               }
                           }
                       });
}

#else

struct FreeTypeTextRasterizer::Face {};

FreeTypeTextRasterizer::FreeTypeTextRasterizer() = default;

int FreeTypeTextRasterizer::Advance(const Font&, char16_t) { return 0; }

CoverageMask FreeTypeTextRasterizer::Rasterize(const Font& font, std::u16string_view text, platform::Size box,
                                               std::uint32_t mode) {
    return blocks_.Rasterize(font, text, box, mode);
}

#endif

FreeTypeTextRasterizer::~FreeTypeTextRasterizer() = default;

platform::Size FreeTypeTextRasterizer::Measure(const Font& font, std::u16string_view text) {
    if (!face_) return blocks_.Measure(font, text);
    return MeasureLines(text, LineHeight(font), [&](char16_t c) { return Advance(font, c); });
}

}  // namespace zintra::ui
