// The image directory of an .ico file, so a backend can pick the image of a
// size without a system icon loader.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zintra::ui {

struct IconImage {
    int width = 0;  // 256 for an entry that says 0
    int height = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

// Nothing when the bytes are not an icon file or an entry lies outside them.
std::optional<std::vector<IconImage>> ReadIconDirectory(std::string_view bytes);

}  // namespace zintra::ui
