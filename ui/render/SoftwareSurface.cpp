#include "ui/render/SoftwareSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "ui/render/Skin.h"

namespace zintra::ui {

platform::Rect Intersect(const platform::Rect& a, const platform::Rect& b) {
    platform::Rect out{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                       std::min(a.bottom, b.bottom)};
    if (out.right < out.left) out.right = out.left;
    if (out.bottom < out.top) out.bottom = out.top;
    return out;
}

namespace {
bool IsEmpty(const platform::Rect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }
}  // namespace

SoftwareSurface::SoftwareSurface(PixelBuffer& target, ImageCache& images, TextRasterizer& text, double scale)
    : target_(target), images_(images), text_(text), scale_(scale > 0.0 ? scale : 1.0),
      clip_{0, 0, target.width, target.height} {}

platform::Rect SoftwareSurface::ToDevice(const platform::Rect& rect) const {
    if (scale_ == 1.0) return rect;
    const auto at = [this](int v) { return static_cast<int>(std::lround(v * scale_)); };
    return {at(rect.left), at(rect.top), at(rect.right), at(rect.bottom)};
}

int SoftwareSurface::ToDevice(int length) const {
    return std::max(1, static_cast<int>(std::lround(length * scale_)));
}

int SoftwareSurface::StrokeWidth(int width) const {
    // Width 0 is a hairline: one pixel at every scale.
    return width <= 0 ? 1 : ToDevice(width);
}

void SoftwareSurface::FillDevice(const platform::Rect& rect, std::uint32_t pixel) {
    const platform::Rect area = Intersect(rect, clip_);
    if (IsEmpty(area) || pixel == 0) return;
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint32_t* row = &target_.At(area.left, y);
        for (int x = 0; x < area.Width(); ++x) row[x] = BlendOver(row[x], pixel);
    }
}

void SoftwareSurface::FillRect(const platform::Rect& rect, Color color) { FillDevice(ToDevice(rect), Premultiply(color)); }

void SoftwareSurface::FrameRect(const platform::Rect& rect, Color color, int width) {
    const platform::Rect r = ToDevice(rect);
    const int w = std::min({StrokeWidth(width), (r.Width() + 1) / 2, (r.Height() + 1) / 2});
    if (w <= 0) return;
    const std::uint32_t pixel = Premultiply(color);
    FillDevice({r.left, r.top, r.right, r.top + w}, pixel);
    FillDevice({r.left, r.bottom - w, r.right, r.bottom}, pixel);
    FillDevice({r.left, r.top + w, r.left + w, r.bottom - w}, pixel);
    FillDevice({r.right - w, r.top + w, r.right, r.bottom - w}, pixel);
}

void SoftwareSurface::DrawLine(platform::Point from, platform::Point to, Color color, int width) {
    const platform::Rect ends = ToDevice(platform::Rect{from.x, from.y, to.x, to.y});
    const int w = StrokeWidth(width);
    const int before = (w - 1) / 2;
    const std::uint32_t pixel = Premultiply(color);
    // Bresenham, stamping a w x w square at each step; both ends included.
    int x = ends.left;
    int y = ends.top;
    const int dx = std::abs(ends.right - x);
    const int dy = -std::abs(ends.bottom - y);
    const int sx = x < ends.right ? 1 : -1;
    const int sy = y < ends.bottom ? 1 : -1;
    int error = dx + dy;
    for (int guard = 0; guard < 100000; ++guard) {
        const platform::Rect dot{x - before, y - before, x - before + w, y - before + w};
        const platform::Rect area = Intersect(dot, clip_);
        for (int py = area.top; py < area.bottom; ++py) {
            for (int px = area.left; px < area.right; ++px) target_.At(px, py) = BlendOver(target_.At(px, py), pixel);
        }
        if (x == ends.right && y == ends.bottom) break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void SoftwareSurface::DrawText(const platform::Rect& rect, const std::u16string& text, const Font& font, Color color,
                               std::uint32_t textMode) {
    if (text.empty() || color.alpha == 0) return;
    const platform::Rect box = ToDevice(rect);
    const platform::Rect area = Intersect(box, clip_);
    if (IsEmpty(area)) return;
    Font scaled = font;
    scaled.size = std::max(1, static_cast<int>(std::lround(font.size * scale_)));
    const CoverageMask mask = text_.Rasterize(scaled, text, {box.Width(), box.Height()}, textMode);
    if (mask.width != box.Width() || mask.height != box.Height() || mask.values.size() < static_cast<std::size_t>(mask.width) * mask.height) {
        return;
    }
    const std::uint32_t pixel = Premultiply(color);
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const std::uint8_t coverage = mask.At(x - box.left, y - box.top);
            if (coverage != 0) target_.At(x, y) = BlendOver(target_.At(x, y), ScalePixel(pixel, coverage));
        }
    }
}

void SoftwareSurface::DrawPicture(const PixelBuffer& source, const platform::Rect& from, const platform::Rect& to,
                                  std::uint8_t alpha) {
    const platform::Rect src = Intersect(from, {0, 0, source.width, source.height});
    if (IsEmpty(src) || IsEmpty(to) || alpha == 0) return;
    const platform::Rect area = Intersect(to, clip_);
    if (IsEmpty(area)) return;
    // Nearest pixel: 1:1 copies stay exact, which keeps small artwork crisp.
    for (int y = area.top; y < area.bottom; ++y) {
        const int sy = src.top + static_cast<int>(static_cast<long long>(y - to.top) * src.Height() / to.Height());
        for (int x = area.left; x < area.right; ++x) {
            const int sx = src.left + static_cast<int>(static_cast<long long>(x - to.left) * src.Width() / to.Width());
            const std::uint32_t pixel = ScalePixel(source.At(sx, sy), alpha);
            target_.At(x, y) = BlendOver(target_.At(x, y), pixel);
        }
    }
}

void SoftwareSurface::DrawSkin(const platform::Rect& rect, const Skin& skin, int state, std::uint8_t alpha) {
    const ImageCache::Variant variant = images_.FindForScale(skin.source, scale_);
    const PixelBuffer* picture = variant.picture;
    if (picture == nullptr) return;
    // The decoded picture decides the cell size, whatever its header said.
    const int states = std::max(1, skin.states);
    const int cellWidth = picture->width / states;
    if (cellWidth <= 0) return;
    const int index = std::clamp(state, 0, states - 1);
    const platform::Rect cell{index * cellWidth, 0, (index + 1) * cellWidth, picture->height};
    platform::Rect to = ToDevice(rect);
    // A picture laid out one unit thick is a hairline: one pixel at every scale.
    if (rect.Height() == 1) to.bottom = to.top + 1;
    if (rect.Width() == 1) to.right = to.left + 1;
    if (IsEmpty(to)) return;
    // Picture pixels to screen pixels: 1 when the variant matches the screen.
    const double ratio = scale_ / variant.scale;
    const auto toScreen = [ratio](int pixels) { return std::max(1, static_cast<int>(std::lround(pixels * ratio))); };
    const auto inPicture = [&variant](int units) { return static_cast<int>(std::lround(units * variant.scale)); };

    if (skin.tile) {
        const int tileWidth = toScreen(cell.Width());
        const int tileHeight = toScreen(cell.Height());
        // Clipped to the pixels the skin covers (a hairline's one row).
        clips_.push_back(clip_);
        clip_ = Intersect(clip_, to);
        for (int y = to.top; y < to.bottom; y += tileHeight) {
            for (int x = to.left; x < to.right; x += tileWidth) {
                DrawPicture(*picture, cell, {x, y, x + tileWidth, y + tileHeight}, alpha);
            }
        }
        PopClip();
        return;
    }
    const platform::Rect& m = skin.margin;
    if (m.left == 0 && m.top == 0 && m.right == 0 && m.bottom == 0) {
        DrawPicture(*picture, cell, to, alpha);
        return;
    }
    // Nine pieces: corners as they are, edges stretched along, the middle both ways.
    const int srcX[4] = {cell.left, cell.left + std::min(inPicture(m.left), cell.Width()),
                         cell.right - std::min(inPicture(m.right), cell.Width()), cell.right};
    const int srcY[4] = {cell.top, cell.top + std::min(inPicture(m.top), cell.Height()),
                         cell.bottom - std::min(inPicture(m.bottom), cell.Height()), cell.bottom};
    const int left = std::min(ToDevice(m.left), to.Width() / 2);
    const int right = std::min(ToDevice(m.right), to.Width() - left);
    const int top = std::min(ToDevice(m.top), to.Height() / 2);
    const int bottom = std::min(ToDevice(m.bottom), to.Height() - top);
    const int dstX[4] = {to.left, to.left + (m.left > 0 ? left : 0), to.right - (m.right > 0 ? right : 0), to.right};
    const int dstY[4] = {to.top, to.top + (m.top > 0 ? top : 0), to.bottom - (m.bottom > 0 ? bottom : 0), to.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            DrawPicture(*picture, {srcX[column], srcY[row], srcX[column + 1], srcY[row + 1]},
                        {dstX[column], dstY[row], dstX[column + 1], dstY[row + 1]}, alpha);
        }
    }
}

void SoftwareSurface::PushClip(const platform::Rect& rect) {
    clips_.push_back(clip_);
    clip_ = Intersect(clip_, ToDevice(rect));
}

void SoftwareSurface::PopClip() {
    if (clips_.empty()) return;
    clip_ = clips_.back();
    clips_.pop_back();
}

}  // namespace zintra::ui
