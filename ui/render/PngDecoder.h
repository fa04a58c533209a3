// PNG pictures decoded with libpng, for the backends of systems without an
// image decoder of their own (Linux, and the tests' headless backend).
#pragma once

#include <optional>
#include <string_view>

#include "ui/render/Bitmap.h"

namespace zintra::ui {

// Nothing when the bytes are not a PNG or the picture is implausibly large.
std::optional<Bitmap> DecodePng(std::string_view bytes);

}  // namespace zintra::ui
