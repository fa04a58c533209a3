#include "ui/render/PixelBuffer.h"

#include <algorithm>

namespace zintra::ui {

namespace {

// x * a / 255, rounded, without a division.
inline std::uint32_t MulDiv255(std::uint32_t x, std::uint32_t a) {
    const std::uint32_t t = x * a + 128;
    return (t + (t >> 8)) >> 8;
}

// Pictures past this many pixels are refused rather than exhausting memory.
constexpr long long kMaxPixels = 16384LL * 16384LL;

}  // namespace

PixelBuffer::PixelBuffer(int w, int h, std::uint32_t fill) { Resize(w, h, fill); }

void PixelBuffer::Resize(int w, int h, std::uint32_t fill) {
    if (w <= 0 || h <= 0 || static_cast<long long>(w) * h > kMaxPixels) w = h = 0;
    width = w;
    height = h;
    pixels.assign(static_cast<std::size_t>(w) * h, fill);
}

void PixelBuffer::Clear(std::uint32_t fill) { std::fill(pixels.begin(), pixels.end(), fill); }

PixelBuffer PixelBuffer::FromBitmap(const Bitmap& bitmap) {
    PixelBuffer out;
    if (bitmap.Empty() || bitmap.pixels.size() < static_cast<std::size_t>(bitmap.width) * bitmap.height * 4) return out;
    out.Resize(bitmap.width, bitmap.height);
    for (std::size_t i = 0; i < out.pixels.size(); ++i) {
        const std::uint8_t* p = &bitmap.pixels[i * 4];
        const std::uint32_t a = p[3];
        out.pixels[i] = (a << 24) | (MulDiv255(p[0], a) << 16) | (MulDiv255(p[1], a) << 8) | MulDiv255(p[2], a);
    }
    return out;
}

Bitmap PixelBuffer::ToBitmap() const {
    Bitmap out;
    out.width = width;
    out.height = height;
    out.pixels.resize(pixels.size() * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t p = pixels[i];
        const std::uint32_t a = p >> 24;
        const auto unmultiply = [a](std::uint32_t c) -> std::uint8_t {
            return a == 0 ? 0 : static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (c * 255 + a / 2) / a));
        };
        out.pixels[i * 4 + 0] = unmultiply((p >> 16) & 0xFF);
        out.pixels[i * 4 + 1] = unmultiply((p >> 8) & 0xFF);
        out.pixels[i * 4 + 2] = unmultiply(p & 0xFF);
        out.pixels[i * 4 + 3] = static_cast<std::uint8_t>(a);
    }
    return out;
}

std::uint32_t Premultiply(Color color, std::uint8_t alpha) {
    const std::uint32_t a = MulDiv255(color.alpha, alpha);
    return (a << 24) | (MulDiv255(color.red, a) << 16) | (MulDiv255(color.green, a) << 8) | MulDiv255(color.blue, a);
}

std::uint32_t BlendOver(std::uint32_t destination, std::uint32_t source) {
    const std::uint32_t sourceAlpha = source >> 24;
    if (sourceAlpha == 255) return source;
    if (sourceAlpha == 0 && source == 0) return destination;
    const std::uint32_t keep = 255 - sourceAlpha;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t s = (source >> shift) & 0xFF;
        const std::uint32_t d = (destination >> shift) & 0xFF;
        out |= std::min<std::uint32_t>(255, s + MulDiv255(d, keep)) << shift;
    }
    return out;
}

std::uint32_t ScalePixel(std::uint32_t pixel, std::uint8_t coverage) {
    if (coverage == 255) return pixel;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) out |= MulDiv255((pixel >> shift) & 0xFF, coverage) << shift;
    return out;
}

}  // namespace zintra::ui
