// A 32-bit top-down DIB selected into its own memory DC: what GDI draws text
// into, what layered windows are updated from and what menus blit.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <cstdint>

#include "ui/render/PixelBuffer.h"

namespace zintra::ui {

class DibSection {
public:
    DibSection() = default;
    ~DibSection();
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;

    // Makes (or keeps, when already as large) a picture of at least this size.
    bool Ensure(int width, int height);
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    std::uint32_t* Row(int y) const { return bits_ + static_cast<std::size_t>(y) * width_; }
    // Copies a picture into the top-left corner (it must fit).
    void CopyFrom(const PixelBuffer& picture);
    void Release();

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// A one-off HBITMAP (32-bit, premultiplied) of a picture, for menus; the
// caller deletes it.
HBITMAP CreatePremultipliedBitmap(const PixelBuffer& picture);

}  // namespace zintra::ui
