#include "ui/render/Color.h"

#include <vector>

#include "base/TextUtil.h"

namespace zintra::ui {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<Color> ParseHex(std::string_view digits) {
    if (digits.size() != 6 && digits.size() != 8) return std::nullopt;
    std::uint8_t channels[4] = {0, 0, 0, 255};
    for (std::size_t i = 0; i < digits.size() / 2; ++i) {
        const int high = HexDigit(digits[2 * i]);
        const int low = HexDigit(digits[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        channels[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return Color{channels[0], channels[1], channels[2], channels[3]};
}

std::optional<Color> ParseFunction(std::string_view inner, std::size_t expected) {
    std::vector<std::uint8_t> channels;
    while (!inner.empty()) {
        const auto comma = inner.find(',');
        const auto part = inner.substr(0, comma);
        const auto value = ParseInteger(part);
        if (!value || *value < 0 || *value > 255) return std::nullopt;
        channels.push_back(static_cast<std::uint8_t>(*value));
        if (comma == std::string_view::npos) break;
        inner.remove_prefix(comma + 1);
    }
    if (channels.size() != expected) return std::nullopt;
    return Color{channels[0], channels[1], channels[2], expected == 4 ? channels[3] : std::uint8_t{255}};
}

}  // namespace

std::optional<Color> Color::Parse(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '#') return ParseHex(text.substr(1));
    const auto open = text.find('(');
    if (open == std::string_view::npos || text.back() != ')') return std::nullopt;
    const auto function = AsciiUpper(Trim(text.substr(0, open)));
    const auto inner = text.substr(open + 1, text.size() - open - 2);
    if (function == "RGB") return ParseFunction(inner, 3);
    if (function == "RGBA") return ParseFunction(inner, 4);
    return std::nullopt;
}

}  // namespace zintra::ui
