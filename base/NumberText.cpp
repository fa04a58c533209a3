#include "base/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace zintra {

namespace {

bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::size_t SkipSpace(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    return i;
}

}  // namespace

float ReadSeconds(std::u16string_view text) {
    std::size_t i = SkipSpace(text);
    const std::size_t start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == u'.') {
        std::size_t j = i + 1;
        std::size_t fraction = 0;
        while (j < text.size() && IsDigit(text[j])) ++j, ++fraction;
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0) return 0.0f;
    std::size_t end = i;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            end = j;
        }
    }

    // The prefix is plain ASCII by construction.
    std::string ascii;
    ascii.reserve(end - start);
    for (std::size_t k = start; k < end; ++k) ascii.push_back(static_cast<char>(text[k]));
    const char* first = ascii.c_str();
    if (*first == '+') ++first;  // from_chars takes no plus sign
    double value = 0.0;
    const auto result = std::from_chars(first, ascii.c_str() + ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Like strtod: overflow gives infinity, underflow zero, with the sign.
        const std::size_t exponent = ascii.find_first_of("eE");
        const bool underflow = exponent != std::string::npos && ascii[exponent + 1] == '-';
        value = underflow ? 0.0 : std::numeric_limits<double>::infinity();
        if (ascii[0] == '-') value = -value;
    }
    // Rounding a double beyond float's range is undefined; saturate to infinity.
    if (std::fabs(value) > std::numeric_limits<float>::max()) {
        return value < 0 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

std::int32_t ReadInteger(std::u16string_view text) {
    std::size_t i = SkipSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    while (i < text.size() && IsDigit(text[i])) {
        value = value * 10 + (text[i++] - u'0');
        if (value > kLimit) value = kLimit;  // saturate rather than wrap
    }
    if (negative) return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(value > kLimit - 1 ? kLimit - 1 : value);
}

}  // namespace zintra
