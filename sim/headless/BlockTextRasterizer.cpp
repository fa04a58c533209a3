#include "sim/headless/BlockTextRasterizer.h"

#include "ui/render/TextLines.h"

namespace zintra::ui {

namespace {

int Advance(const Font& font, char16_t c) {
    return (c < 0x80 ? (font.size * 3 + 4) / 5 : font.size) + (font.bold ? 1 : 0);
}

}  // namespace

platform::Size BlockTextRasterizer::Measure(const Font& font, std::u16string_view text) {
    return MeasureLines(text, LineHeight(font), [&](char16_t c) { return Advance(font, c); });
}

CoverageMask BlockTextRasterizer::Rasterize(const Font& font, std::u16string_view text, platform::Size box,
                                            std::uint32_t mode) {
    return LayOutLines(text, box, mode, LineHeight(font), [&](char16_t c) { return Advance(font, c); },
                       [&](CoverageMask& mask, char16_t c, int x, int top) {
                           if (c == u' ') return;
                           // A block one pixel narrower than the advance, over the glyph's body.
                           const int glyphTop = top + font.size / 6;
                           for (int y = glyphTop; y < glyphTop + font.size; ++y) {
                               for (int gx = x; gx < x + Advance(font, c) - 1; ++gx) Cover(mask, gx, y, 255);
                           }
                       });
}

}  // namespace zintra::ui
