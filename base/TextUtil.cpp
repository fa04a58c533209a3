#include "base/TextUtil.h"

#include <algorithm>
#include <climits>
#include <limits>

namespace zintra {

namespace {

constexpr char32_t kMalformed = 0xFFFFFFFF;

// Decodes the character at `i` and moves past it; kMalformed (moving one
// byte) for a sequence that is not UTF-8.
char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::uint32_t code = 0;
    std::size_t length = 1;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead >> 5) == 0x6) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead >> 4) == 0xE) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead >> 3) == 0x1E) {
        length = 4;
        code = lead & 0x07;
    } else {
        ++i;
        return kMalformed;
    }
    bool valid = i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next >> 6) != 0x2) {
            valid = false;
        } else {
            code = (code << 6) | (next & 0x3F);
        }
    }
    // Overlong forms, surrogates and values past U+10FFFF are not text.
    static constexpr std::uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!valid || code < kMinimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++i;
        return kMalformed;
    }
    i += length;
    return code;
}

void AppendUtf16(std::u16string& out, char32_t code) {
    if (code >= 0x10000) {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(code));
    }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text, char16_t replacement) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t code = DecodeUtf8(text, i);
        AppendUtf16(out, code == kMalformed ? replacement : code);
    }
    return out;
}

std::optional<std::u16string> StrictUtf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t code = DecodeUtf8(text, i);
        if (code == kMalformed) return std::nullopt;
        AppendUtf16(out, code);
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text, char32_t replacement) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = replacement;
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (auto& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && AsciiUpper(a) == AsciiUpper(b);
}

std::string_view Trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        if (value > (std::numeric_limits<std::uint64_t>::max() - static_cast<unsigned>(digit)) / base) return std::nullopt;
        value = value * base + static_cast<unsigned>(digit);
    }
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
    const auto signedValue = static_cast<std::int64_t>(value);
    return negative ? -signedValue : signedValue;
}

int ParseIntOr(std::string_view text, int fallback) {
    const auto value = ParseInteger(text);
    if (!value) return fallback;
    return static_cast<int>(std::clamp<std::int64_t>(*value, INT_MIN, INT_MAX));
}

bool ParseBoolOr(std::string_view text, bool fallback) {
    text = Trim(text);
    if (text == "1" || text == "true") return true;
    if (text == "0" || text == "false") return false;
    return fallback;
}

}  // namespace zintra
