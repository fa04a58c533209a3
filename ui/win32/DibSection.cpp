#include "ui/win32/DibSection.h"

#include <algorithm>
#include <cstring>

namespace zintra::ui {

namespace {

HBITMAP CreateTopDownDib(int width, int height, std::uint32_t** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, like our pictures
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    *bits = static_cast<std::uint32_t*>(memory);
    return bitmap;
}

}  // namespace

DibSection::~DibSection() { Release(); }

void DibSection::Release() {
    if (dc_ != nullptr) {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
}

bool DibSection::Ensure(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    if (bitmap_ != nullptr && width <= width_ && height <= height_) return true;
    const int newWidth = std::max(width, width_);
    const int newHeight = std::max(height, height_);
    Release();
    std::uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(newWidth, newHeight, &bits);
    if (bitmap == nullptr) {
        OutputDebugStringA("zintra: CreateDIBSection failed\n");
        return false;
    }
    dc_ = CreateCompatibleDC(nullptr);
    if (dc_ == nullptr) {
        DeleteObject(bitmap);
        return false;
    }
    bitmap_ = bitmap;
    bits_ = bits;
    previous_ = SelectObject(dc_, bitmap_);
    width_ = newWidth;
    height_ = newHeight;
    return true;
}

void DibSection::CopyFrom(const PixelBuffer& picture) {
    if (bits_ == nullptr) return;
    GdiFlush();
    const int width = std::min(picture.width, width_);
    const int height = std::min(picture.height, height_);
    for (int y = 0; y < height; ++y) {
        std::memcpy(Row(y), &picture.pixels[static_cast<std::size_t>(y) * picture.width], static_cast<std::size_t>(width) * 4);
    }
}

HBITMAP CreatePremultipliedBitmap(const PixelBuffer& picture) {
    if (picture.Empty()) return nullptr;
    std::uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(picture.width, picture.height, &bits);
    if (bitmap != nullptr) std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * 4);
    return bitmap;
}

}  // namespace zintra::ui
