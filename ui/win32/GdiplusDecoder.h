// PNG (and any picture GDI+ reads) to straight-alpha pixels, with GDI+ started
// for as long as the decoder lives.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "ui/render/Bitmap.h"

namespace zintra::ui {

class GdiplusDecoder {
public:
    GdiplusDecoder();
    ~GdiplusDecoder();
    GdiplusDecoder(const GdiplusDecoder&) = delete;
    GdiplusDecoder& operator=(const GdiplusDecoder&) = delete;

    // Nothing for bytes that do not decode, or pictures past 16384 pixels.
    std::optional<Bitmap> Decode(std::string_view bytes) const;

private:
    std::uintptr_t token_ = 0;
};

}  // namespace zintra::ui
