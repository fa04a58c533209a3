// The DrawText placement both off-screen font engines share: lines split at
// line feeds unless single-line, each aligned left, centred or right, and a
// single line centred or bottom-aligned in its box when asked.
#pragma once

#include <algorithm>
#include <string_view>
#include <vector>

#include "ui/render/Surface.h"
#include "ui/render/TextRasterizer.h"

namespace zintra::ui {

// Lines are a third taller than the font's pixel size, as the headless metrics have it.
inline int LineHeight(const Font& font) { return font.size + font.size / 3; }

inline std::vector<std::u16string_view> TextLines(std::u16string_view text, bool singleLine) {
    std::vector<std::u16string_view> lines;
    while (true) {
        const auto end = singleLine ? std::u16string_view::npos : text.find(u'\n');
        lines.push_back(text.substr(0, end));
        if (end == std::u16string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// advance(c) is a character's width; the size is the widest line by the line count.
template <class Advance>
platform::Size MeasureLines(std::u16string_view text, int lineHeight, Advance advance) {
    int width = 0;
    const auto lines = TextLines(text, false);
    for (const auto line : lines) {
        int w = 0;
        for (char16_t c : line) w += advance(c);
        width = std::max(width, w);
    }
    return {width, static_cast<int>(lines.size()) * lineHeight};
}

// Calls draw(mask, c, x, lineTop) for every character at its place in the box.
template <class Advance, class Draw>
CoverageMask LayOutLines(std::u16string_view text, platform::Size box, std::uint32_t mode, int lineHeight,
                         Advance advance, Draw draw) {
    CoverageMask mask;
    if (box.width <= 0 || box.height <= 0) return mask;
    mask.width = box.width;
    mask.height = box.height;
    mask.values.assign(static_cast<std::size_t>(box.width) * box.height, 0);
    const bool singleLine = (mode & text_mode::kSingleLine) != 0;
    int top = 0;
    if (singleLine && (mode & text_mode::kVCenter)) top = (box.height - lineHeight) / 2;
    if (singleLine && (mode & text_mode::kBottom)) top = box.height - lineHeight;
    for (const auto line : TextLines(text, singleLine)) {
        int width = 0;
        for (char16_t c : line) width += advance(c);
        int x = 0;
        if (mode & text_mode::kCenter) x = (box.width - width) / 2;
        if (mode & text_mode::kRight) x = box.width - width;
        for (char16_t c : line) {
            draw(mask, c, x, top);
            x += advance(c);
        }
        top += lineHeight;
    }
    return mask;
}

// Raises the mask's coverage at (x, y) to at least `value`, ignoring points outside.
inline void Cover(CoverageMask& mask, int x, int y, std::uint8_t value) {
    if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) return;
    auto& cell = mask.values[static_cast<std::size_t>(y) * mask.width + x];
    cell = std::max(cell, value);
}

}  // namespace zintra::ui
