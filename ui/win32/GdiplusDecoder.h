// Any picture GDI+ reads to straight-alpha pixels. GDI+ starts with the first
// picture (it loads the system's imaging codecs, which takes a while) and
// stops with the decoder.
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
    bool Started() const;

    mutable bool tried_ = false;
    mutable std::uintptr_t token_ = 0;
};

}  // namespace zintra::ui
