#include "ui/render/IconDirectory.h"

namespace zintra::ui {

std::optional<std::vector<IconImage>> ReadIconDirectory(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto word = [&](std::size_t at) { return static_cast<std::uint32_t>(data[at] | (data[at + 1] << 8)); };
    const auto dword = [&](std::size_t at) { return word(at) | (word(at + 2) << 16); };
    if (bytes.size() < 6 || word(0) != 0 || word(2) != 1) return std::nullopt;
    const std::size_t count = word(4);
    if (count == 0 || bytes.size() < 6 + 16 * count) return std::nullopt;
    std::vector<IconImage> images;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + 16 * i;
        IconImage image;
        image.width = data[at] == 0 ? 256 : data[at];
        image.height = data[at + 1] == 0 ? 256 : data[at + 1];
        image.size = dword(at + 8);
        image.offset = dword(at + 12);
        if (image.offset > bytes.size() || image.size > bytes.size() - image.offset) return std::nullopt;
        images.push_back(image);
    }
    return images;
}

}  // namespace zintra::ui
