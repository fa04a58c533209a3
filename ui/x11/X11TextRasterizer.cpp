#include "ui/x11/X11TextRasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

#include "platform/linux/TextConversion.h"
#include "ui/render/TextLines.h"

namespace zintra::ui {

struct X11TextRasterizer::Library {
    FT_Library library = nullptr;
    ~Library() {
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

struct X11TextRasterizer::Face {
    FT_Face face = nullptr;
    std::string file;
    int pixelSize = 0;
    ~Face() {
        if (face != nullptr) FT_Done_Face(face);
    }
    FT_GlyphSlot Load(char16_t c, int size, bool render) {
        if (size != pixelSize) {
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
            pixelSize = size;
        }
        return FT_Load_Char(face, c, render ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) == 0 ? face->glyph : nullptr;
    }
};

X11TextRasterizer::X11TextRasterizer() : library_(std::make_unique<Library>()) {
    if (FT_Init_FreeType(&library_->library) != 0) library_->library = nullptr;
}

X11TextRasterizer::~X11TextRasterizer() {
    // The program's only fontconfig user: its caches go with it.
    byRequest_.clear();
    FcFini();
}

X11TextRasterizer::Face* X11TextRasterizer::FaceFor(const Font& font) {
    if (library_->library == nullptr) return nullptr;
    const std::u16string request = font.face + (font.bold ? u"|b" : u"|r");
    if (auto it = byRequest_.find(request); it != byRequest_.end()) return it->second;
    Face* chosen = nullptr;
    FcPattern* pattern = FcPatternCreate();
    const std::string family = platform::linux_x11::ToUtf8(font.face);
    if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    // Chinese text must never come out as boxes: ask for a face that has it.
    FcLangSet* languages = FcLangSetCreate();
    FcLangSetAdd(languages, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcPatternAddLangSet(pattern, FC_LANG, languages);
    FcPatternAddInteger(pattern, FC_WEIGHT, font.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match != nullptr) {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            const std::string key = std::string(reinterpret_cast<const char*>(file)) + "#" + std::to_string(index);
            auto& slot = faces_[key];
            if (!slot) {
                auto face = std::make_unique<Face>();
                face->file = reinterpret_cast<const char*>(file);
                if (FT_New_Face(library_->library, face->file.c_str(), index, &face->face) == 0) slot = std::move(face);
            }
            chosen = slot.get();
        }
        FcPatternDestroy(match);
    }
    FcLangSetDestroy(languages);
    FcPatternDestroy(pattern);
    byRequest_[request] = chosen;
    return chosen;
}

std::string X11TextRasterizer::FileFor(const Font& font) {
    Face* face = FaceFor(font);
    return face != nullptr ? face->file : std::string();
}

int X11TextRasterizer::Advance(Face& face, const Font& font, char16_t c) {
    const FT_GlyphSlot glyph = face.Load(c, std::max(1, font.size), false);
    return (glyph != nullptr ? static_cast<int>(glyph->advance.x >> 6) : 0) + (font.bold ? 1 : 0);
}

platform::Size X11TextRasterizer::Measure(const Font& font, std::u16string_view text) {
    Face* face = FaceFor(font);
    if (face == nullptr) return MeasureLines(text, LineHeight(font), [&](char16_t) { return font.size / 2; });
    return MeasureLines(text, LineHeight(font), [&](char16_t c) { return Advance(*face, font, c); });
}

CoverageMask X11TextRasterizer::Rasterize(const Font& font, std::u16string_view text, platform::Size box,
                                          std::uint32_t mode) {
    Face* face = FaceFor(font);
    const int size = std::max(1, font.size);
    if (face == nullptr) {
        return LayOutLines(text, box, mode, LineHeight(font), [&](char16_t) { return size / 2; },
                           [](CoverageMask&, char16_t, int, int) {});
    }
    return LayOutLines(text, box, mode, LineHeight(font), [&](char16_t c) { return Advance(*face, font, c); },
                       [&](CoverageMask& mask, char16_t c, int x, int top) {
                           const int baseline = top + size / 6 + size * 7 / 8;
                           if (font.underline) {
                               for (int ux = x; ux < x + Advance(*face, font, c); ++ux) Cover(mask, ux, baseline + 2, 255);
                           }
                           const FT_GlyphSlot glyph = face->Load(c, size, true);
                           if (glyph == nullptr) return;
                           const FT_Bitmap& bitmap = glyph->bitmap;
                           for (unsigned row = 0; row < bitmap.rows; ++row) {
                               for (unsigned column = 0; column < bitmap.width; ++column) {
                                   const std::uint8_t coverage = bitmap.buffer[row * bitmap.pitch + column];
                                   if (coverage == 0) continue;
                                   const int px = x + glyph->bitmap_left + static_cast<int>(column);
                                   const int py = baseline - glyph->bitmap_top + static_cast<int>(row);
                                   Cover(mask, px, py, coverage);
                                   // Faces without a bold cut are struck twice.
                                   if (font.bold && !(face->face->style_flags & FT_STYLE_FLAG_BOLD)) {
                                       Cover(mask, px + 1, py, coverage);
                                   }
                               }
                           }
                       });
}

}  // namespace zintra::ui
