// The one way text becomes glyphs on Linux: FreeType faces, laid out by the
// toolkit's line placement (ui/render/TextLines.h), so the X11 windows and
// the tests' off-screen pictures draw the same text the same way. Where a
// face comes from is the caller's: fontconfig's pick, or one font file.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ui/render/TextRasterizer.h"

namespace zintra::ui {

// A face in a font file (a collection holds several).
struct FontFile {
    std::string path;
    int index = 0;
};

class FreeTypeTextRasterizer : public TextRasterizer {
public:
    // The face for a font (its name and weight); nothing when there is none.
    using FaceLocator = std::function<std::optional<FontFile>(const Font& font)>;

    // Text without a face goes to `fallback` when there is one; otherwise it
    // takes half its size per character and leaves no ink.
    explicit FreeTypeTextRasterizer(FaceLocator locate, TextRasterizer* fallback = nullptr);
    ~FreeTypeTextRasterizer() override;
    FreeTypeTextRasterizer(const FreeTypeTextRasterizer&) = delete;
    FreeTypeTextRasterizer& operator=(const FreeTypeTextRasterizer&) = delete;

    platform::Size Measure(const Font& font, std::u16string_view text) override;
    CoverageMask Rasterize(const Font& font, std::u16string_view text, platform::Size box, std::uint32_t mode) override;

private:
    struct Library;
    struct Face;
    Face* FaceFor(const Font& font);
    int Advance(Face& face, const Font& font, char16_t c);
    void DrawGlyph(Face& face, const Font& font, CoverageMask& mask, char16_t c, int x, int top);

    FaceLocator locate_;
    TextRasterizer* fallback_;
    std::unique_ptr<Library> library_;
    std::map<std::string, std::unique_ptr<Face>> faces_;  // by file and index
    std::map<std::u16string, Face*> byRequest_;           // by face name and weight
};

}  // namespace zintra::ui
