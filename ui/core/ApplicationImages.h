// Pictures read through the running application: its resource providers
// find the bytes and its backend decodes them. For the image caches of the
// backends, and for code that needs a skin outside a window (the drag image).
#pragma once

#include <optional>
#include <string_view>

#include "ui/render/Bitmap.h"
#include "ui/render/ImageCache.h"

namespace zintra::ui {

// Loads through the application object's providers and its backend; nothing
// while no application runs.
ImageCache::Loader ApplicationImageLoader();

// A skin's pixels at its natural size (one state). Nothing when there is no
// such skin or its picture does not decode.
std::optional<Bitmap> RenderSkinToBitmap(std::string_view skinName, int state = 0);

}  // namespace zintra::ui
