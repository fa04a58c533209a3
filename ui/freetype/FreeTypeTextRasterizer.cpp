#include "ui/freetype/FreeTypeTextRasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <unordered_map>

#include "ui/render/TextLines.h"

namespace zintra::ui {

struct FreeTypeTextRasterizer::Library {
    FT_Library library = nullptr;
    ~Library() {
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

struct FreeTypeTextRasterizer::Face {
    FT_Face face = nullptr;
    int pixelSize = 0;
    ~Face() {
        if (face != nullptr) FT_Done_Face(face);
    }
    // The glyph of `c` at `size` pixels (rendered when asked), or null.
    FT_GlyphSlot Load(char16_t c, int size, bool render) {
        if (size != pixelSize) {
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
            pixelSize = size;
        }
        return FT_Load_Char(face, c, render ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) == 0 ? face->glyph : nullptr;
    }
    // Layouts measure the same labels again and again (and once more to draw
    // them): an advance is loaded from the face once per size.
    std::unordered_map<std::uint64_t, int> advances;
    int AdvanceOf(char16_t c, int size) {
        const std::uint64_t key = (static_cast<std::uint64_t>(size) << 16) | c;
        if (auto it = advances.find(key); it != advances.end()) return it->second;
        const FT_GlyphSlot glyph = Load(c, size, false);
        const int advance = glyph != nullptr ? static_cast<int>(glyph->advance.x >> 6) : 0;
        advances.emplace(key, advance);
        return advance;
    }
};

FreeTypeTextRasterizer::FreeTypeTextRasterizer(FaceLocator locate, TextRasterizer* fallback)
    : locate_(std::move(locate)), fallback_(fallback), library_(std::make_unique<Library>()) {
    if (FT_Init_FreeType(&library_->library) != 0) library_->library = nullptr;
}

FreeTypeTextRasterizer::~FreeTypeTextRasterizer() {
    // Faces before the library that made them.
    byRequest_.clear();
    faces_.clear();
}

FreeTypeTextRasterizer::Face* FreeTypeTextRasterizer::FaceFor(const Font& font) {
    if (library_->library == nullptr) return nullptr;
    const std::u16string request = font.face + (font.bold ? u"|b" : u"|r");
    if (auto it = byRequest_.find(request); it != byRequest_.end()) return it->second;
    Face* chosen = nullptr;
    if (const auto file = locate_(font)) {
        auto& slot = faces_[file->path + "#" + std::to_string(file->index)];
        if (!slot) {
            auto face = std::make_unique<Face>();
            if (FT_New_Face(library_->library, file->path.c_str(), file->index, &face->face) == 0) {
                slot = std::move(face);
            }
        }
        chosen = slot.get();
    }
    byRequest_[request] = chosen;
    return chosen;
}

int FreeTypeTextRasterizer::Advance(Face& face, const Font& font, char16_t c) {
    return face.AdvanceOf(c, std::max(1, font.size)) + (font.bold ? 1 : 0);
}

void FreeTypeTextRasterizer::DrawGlyph(Face& face, const Font& font, CoverageMask& mask, char16_t c, int x, int top) {
    const int size = std::max(1, font.size);
    const int baseline = top + size / 6 + size * 7 / 8;
    if (font.underline) {
        for (int ux = x; ux < x + Advance(face, font, c); ++ux) Cover(mask, ux, baseline + 2, 255);
    }
    const FT_GlyphSlot glyph = face.Load(c, size, true);
    if (glyph == nullptr) return;
    // Faces without a bold cut are struck twice, one pixel apart.
    const bool strikeTwice = font.bold && !(face.face->style_flags & FT_STYLE_FLAG_BOLD);
    const FT_Bitmap& bitmap = glyph->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const std::uint8_t coverage = bitmap.buffer[row * bitmap.pitch + column];
            if (coverage == 0) continue;
            const int px = x + glyph->bitmap_left + static_cast<int>(column);
            const int py = baseline - glyph->bitmap_top + static_cast<int>(row);
            Cover(mask, px, py, coverage);
            if (strikeTwice) Cover(mask, px + 1, py, coverage);
        }
    }
}

platform::Size FreeTypeTextRasterizer::Measure(const Font& font, std::u16string_view text) {
    Face* face = FaceFor(font);
    if (face == nullptr && fallback_ != nullptr) return fallback_->Measure(font, text);
    if (face == nullptr) return MeasureLines(text, LineHeight(font), [&](char16_t) { return font.size / 2; });
    return MeasureLines(text, LineHeight(font), [&](char16_t c) { return Advance(*face, font, c); });
}

CoverageMask FreeTypeTextRasterizer::Rasterize(const Font& font, std::u16string_view text, platform::Size box,
                                               std::uint32_t mode) {
    Face* face = FaceFor(font);
    if (face == nullptr && fallback_ != nullptr) return fallback_->Rasterize(font, text, box, mode);
    if (face == nullptr) {
        const int size = std::max(1, font.size);
        return LayOutLines(text, box, mode, LineHeight(font), [&](char16_t) { return size / 2; },
                           [](CoverageMask&, char16_t, int, int) {});
    }
    return LayOutLines(text, box, mode, LineHeight(font), [&](char16_t c) { return Advance(*face, font, c); },
                       [&](CoverageMask& mask, char16_t c, int x, int top) { DrawGlyph(*face, font, mask, c, x, top); });
}

}  // namespace zintra::ui
