// Colours as the layouts write them: #RRGGBB, #RRGGBBAA or rgb(r,g,b).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zintra::ui {

struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;
    friend bool operator==(const Color&, const Color&) = default;

    // Nothing for text that is not a colour.
    static std::optional<Color> Parse(std::string_view text);
};

}  // namespace zintra::ui
