// Small text helpers: layouts, files and the system's text are UTF-8, the
// program's texts UTF-16 (this is the one conversion between them), and
// resource names compare without regard to letter case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zintra {

// Each malformed byte (overlong forms, surrogates, truncated sequences)
// becomes `replacement`, and so does each lone surrogate.
std::u16string Utf8ToUtf16(std::string_view text, char16_t replacement = u'\uFFFD');
std::string Utf16ToUtf8(std::u16string_view text, char32_t replacement = U'\uFFFD');
// Nothing for anything that is not well-formed UTF-8.
std::optional<std::u16string> StrictUtf8ToUtf16(std::string_view text);

// ASCII upper case; other characters unchanged.
std::string AsciiUpper(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

std::string_view Trim(std::string_view text);

// A whole decimal or "0x" hexadecimal integer, optionally signed; nothing for
// anything else (including overflow of 64 bits).
std::optional<std::int64_t> ParseInteger(std::string_view text);
// As ParseInteger but clamped into int and with a fallback.
int ParseIntOr(std::string_view text, int fallback);
// "1"/"true" and "0"/"false"; the fallback for anything else.
bool ParseBoolOr(std::string_view text, bool fallback);

}  // namespace zintra
