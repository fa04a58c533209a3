// A 32-bit picture in the layout Windows DIBs and layered windows use:
// premultiplied alpha, 0xAARRGGBB words (bytes blue, green, red, alpha in
// memory), rows top to bottom. Both backends draw into one of these.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/render/Bitmap.h"
#include "ui/render/Color.h"

namespace zintra::ui {

struct PixelBuffer {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    PixelBuffer() = default;
    PixelBuffer(int w, int h, std::uint32_t fill = 0);

    bool Empty() const { return width <= 0 || height <= 0; }
    void Resize(int w, int h, std::uint32_t fill = 0);
    void Clear(std::uint32_t fill = 0);
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }

    // Straight-alpha RGBA pictures (decoded images) and back.
    static PixelBuffer FromBitmap(const Bitmap& bitmap);
    Bitmap ToBitmap() const;
};

// A colour as a premultiplied pixel, with its alpha scaled by `alpha`/255.
std::uint32_t Premultiply(Color color, std::uint8_t alpha = 255);
// Source-over of one premultiplied pixel onto another.
std::uint32_t BlendOver(std::uint32_t destination, std::uint32_t source);
// A premultiplied pixel with every channel scaled by `coverage`/255.
std::uint32_t ScalePixel(std::uint32_t pixel, std::uint8_t coverage);

}  // namespace zintra::ui
