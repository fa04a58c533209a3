// What the software surface needs from a font engine: the size of a text and
// its coverage (how much of each pixel the glyphs cover), laid out in a box
// the way DrawText lays it out. GDI provides it on Windows, fixed block
// glyphs in the headless backend.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/Types.h"
#include "ui/render/Font.h"

namespace zintra::ui {

struct CoverageMask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> values;  // 0 = untouched, 255 = fully covered; rows top to bottom

    std::uint8_t At(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
};

class TextRasterizer {
public:
    virtual ~TextRasterizer() = default;
    virtual platform::Size Measure(const Font& font, std::u16string_view text) = 0;
    // `mode` holds the DrawText flags of ui/Surface.h. An empty mask for an
    // empty box.
    virtual CoverageMask Rasterize(const Font& font, std::u16string_view text, platform::Size box,
                                   std::uint32_t mode) = 0;
};

}  // namespace zintra::ui
