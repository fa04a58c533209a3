// Named pictures of the skin table: an image list (several states side by
// side) or an image frame (one picture, stretched outside a margin or tiled).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace zintra::ui {

struct Skin {
    enum class Kind { ImageList, ImageFrame };

    std::string name;
    Kind kind = Kind::ImageFrame;
    std::string source;  // resource name of the image, such as "IMG:png_logo"
    int states = 1;
    platform::Rect margin;  // left, top, right, bottom edges kept unstretched
    bool tile = false;
    platform::Size imageSize;  // the whole picture, from its header

    // One state's size: the natural size a control takes by default.
    platform::Size StateSize() const;
    // Where state number `state` lies in the picture (clamped to the states).
    platform::Rect StateRect(int state) const;
};

// Width and height from a PNG header; nothing when the bytes are not a PNG.
std::optional<platform::Size> PngSize(std::string_view bytes);

}  // namespace zintra::ui
