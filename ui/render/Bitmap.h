// A picture in memory: 32-bit pixels with straight alpha, rows top to bottom,
// bytes in the order red, green, blue, alpha.
#pragma once

#include <cstdint>
#include <vector>

namespace zintra::ui {

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 4 bytes

    bool Empty() const { return width <= 0 || height <= 0; }
    std::uint32_t PixelAt(int x, int y) const {  // 0xAARRGGBB
        const auto* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
        return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    }
};

}  // namespace zintra::ui
