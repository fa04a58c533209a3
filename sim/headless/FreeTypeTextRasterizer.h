// Real glyphs for pictures made off-screen, from a CJK-capable font file
// (ZINTRA_FONT, else WenQuanYi Micro Hei), so snapshots of the windows can be
// read. Without FreeType or the font it draws the block glyphs instead.
#pragma once

#include <memory>

#include "ui/render/TextRasterizer.h"
#include "sim/headless/BlockTextRasterizer.h"

namespace zintra::ui {

class FreeTypeTextRasterizer final : public TextRasterizer {
public:
    FreeTypeTextRasterizer();
    ~FreeTypeTextRasterizer() override;
    FreeTypeTextRasterizer(const FreeTypeTextRasterizer&) = delete;
    FreeTypeTextRasterizer& operator=(const FreeTypeTextRasterizer&) = delete;

    // False when the block glyphs stand in.

    platform::Size Measure(const Font& font, std::u16string_view text) override;
    CoverageMask Rasterize(const Font& font, std::u16string_view text, platform::Size box, std::uint32_t mode) override;

private:
    struct Face;

    int Advance(const Font& font, char16_t c);

    std::unique_ptr<Face> face_;
    BlockTextRasterizer blocks_;
};

}  // namespace zintra::ui
