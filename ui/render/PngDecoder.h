// PNG pictures decoded with libpng, by every backend: on Windows too, where
// the system decoder takes far longer to start than the pictures take to read.
#pragma once

#include <optional>
#include <string_view>

#include "ui/render/Bitmap.h"

namespace zintra::ui {

// Nothing when the bytes are not a PNG or the picture is implausibly large.
std::optional<Bitmap> DecodePng(std::string_view bytes);

}  // namespace zintra::ui
