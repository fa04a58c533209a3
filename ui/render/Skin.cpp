#include "ui/render/Skin.h"

#include <algorithm>
#include <cstdint>

namespace zintra::ui {

platform::Size Skin::StateSize() const {
    const int count = std::max(1, states);
    return {imageSize.width / count, imageSize.height};
}

platform::Rect Skin::StateRect(int state) const {
    const platform::Size size = StateSize();
    const int index = std::clamp(state, 0, std::max(1, states) - 1);
    return {index * size.width, 0, (index + 1) * size.width, size.height};
}

std::optional<platform::Size> PngSize(std::string_view bytes) {
    static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 24 || !std::equal(kSignature, kSignature + 8, reinterpret_cast<const unsigned char*>(bytes.data()))) {
        return std::nullopt;
    }
    if (bytes.substr(12, 4) != "IHDR") return std::nullopt;
    const auto readBig = [&](std::size_t at) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
        return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
    };
    const std::uint32_t width = readBig(16);
    const std::uint32_t height = readBig(20);
    // Pictures past 16384 pixels are not ours; treat them as broken.
    if (width == 0 || height == 0 || width > 16384 || height > 16384) return std::nullopt;
    return platform::Size{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

}  // namespace zintra::ui
