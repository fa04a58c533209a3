// Text for pictures made without a font engine: every glyph is a solid block
// with the headless backend's fixed metrics (ASCII 0.6 of the font size wide,
// everything else the full size, a pixel more when bold, lines 4/3 of the
// size high), laid out as
// DrawText would lay it out. Enough to see where text goes and in what colour.
#pragma once

#include "ui/render/TextRasterizer.h"

namespace zintra::ui {

class BlockTextRasterizer final : public TextRasterizer {
public:
    platform::Size Measure(const Font& font, std::u16string_view text) override;
    CoverageMask Rasterize(const Font& font, std::u16string_view text, platform::Size box, std::uint32_t mode) override;
};

}  // namespace zintra::ui
