#include "ui/headless/BlockTextRasterizer.h"

#include <algorithm>
#include <vector>

#include "ui/Surface.h"

namespace zintra::ui {

namespace {

int Advance(const Font& font, char16_t c) {
    return (c < 0x80 ? (font.size * 3 + 4) / 5 : font.size) + (font.bold ? 1 : 0);
}
int LineHeight(const Font& font) { return font.size + font.size / 3; }

std::vector<std::u16string_view> Lines(std::u16string_view text, bool singleLine) {
    std::vector<std::u16string_view> lines;
    if (singleLine) {
        lines.push_back(text);
        return lines;
    }
    while (true) {
        const auto end = text.find(u'\n');
        lines.push_back(text.substr(0, end));
        if (end == std::u16string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

platform::Size BlockTextRasterizer::Measure(const Font& font, std::u16string_view text) {
    int width = 0;
    const auto lines = Lines(text, false);
    for (const auto line : lines) {
        int w = 0;
        for (char16_t c : line) w += Advance(font, c);
        width = std::max(width, w);
    }
    return {width, static_cast<int>(lines.size()) * LineHeight(font)};
}

CoverageMask BlockTextRasterizer::Rasterize(const Font& font, std::u16string_view text, platform::Size box,
                                            std::uint32_t mode) {
    CoverageMask mask;
    if (box.width <= 0 || box.height <= 0) return mask;
    mask.width = box.width;
    mask.height = box.height;
    mask.values.assign(static_cast<std::size_t>(box.width) * box.height, 0);
    const bool singleLine = (mode & text_mode::kSingleLine) != 0;
    const auto lines = Lines(text, singleLine);
    const int lineHeight = LineHeight(font);
    int top = 0;
    if (singleLine && (mode & text_mode::kVCenter)) top = (box.height - lineHeight) / 2;
    if (singleLine && (mode & text_mode::kBottom)) top = box.height - lineHeight;
    for (const auto line : lines) {
        int width = 0;
        for (char16_t c : line) width += Advance(font, c);
        int x = 0;
        if (mode & text_mode::kCenter) x = (box.width - width) / 2;
        if (mode & text_mode::kRight) x = box.width - width;
        for (char16_t c : line) {
            const int advance = Advance(font, c);
            if (c != u' ') {
                // A block one pixel narrower than the advance, over the glyph's body.
                const int glyphTop = top + font.size / 6;
                for (int y = std::max(0, glyphTop); y < std::min(box.height, glyphTop + font.size); ++y) {
                    for (int gx = std::max(0, x); gx < std::min(box.width, x + advance - 1); ++gx) {
                        mask.values[static_cast<std::size_t>(y) * box.width + gx] = 255;
                    }
                }
            }
            x += advance;
        }
        top += lineHeight;
    }
    return mask;
}

}  // namespace zintra::ui
