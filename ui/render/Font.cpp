#include "ui/render/Font.h"

#include <algorithm>

#include "base/TextUtil.h"

namespace zintra::ui {

FontSpec FontSpec::Parse(std::string_view text) {
    FontSpec spec;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const auto item = Trim(text.substr(0, comma));
        const auto colon = item.find(':');
        if (colon != std::string_view::npos) {
            const auto key = AsciiUpper(Trim(item.substr(0, colon)));
            const auto value = Trim(item.substr(colon + 1));
            if (key == "FACE") {
                spec.face = Utf8ToUtf16(value);
            } else if (key == "SIZE") {
                if (auto size = ParseInteger(value); size && *size > 0 && *size < 1000) spec.size = static_cast<int>(*size);
            } else if (key == "ADDING") {
                spec.adding = std::clamp(ParseIntOr(value, 0), -100, 100);
            } else if (key == "BOLD") {
                spec.bold = ParseBoolOr(value, false);
            } else if (key == "ITALIC") {
                spec.italic = ParseBoolOr(value, false);
            } else if (key == "UNDERLINE") {
                spec.underline = ParseBoolOr(value, false);
            }
        }
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return spec;
}

void FontSpec::MergeFrom(const FontSpec& other) {
    if (other.face) face = other.face;
    if (other.size) size = other.size;
    if (other.adding != 0) adding = other.adding;
    if (other.bold) bold = other.bold;
    if (other.italic) italic = other.italic;
    if (other.underline) underline = other.underline;
}

Font FontSpec::Resolve(const Font& base) const {
    Font font = base;
    if (face) font.face = *face;
    if (size) font.size = *size;
    font.size = std::max(1, font.size + adding);
    if (bold) font.bold = *bold;
    if (italic) font.italic = *italic;
    if (underline) font.underline = *underline;
    return font;
}

}  // namespace zintra::ui
