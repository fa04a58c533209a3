// A skin's pixels at its natural size (one state), for code that needs the
// picture outside a window, such as the drag image.
#pragma once

#include <optional>
#include <string_view>

#include "ui/render/Bitmap.h"

namespace zintra::ui {

// Nothing when there is no such skin or its picture does not decode.
std::optional<Bitmap> RenderSkinToBitmap(std::string_view skinName, int state = 0);

}  // namespace zintra::ui
