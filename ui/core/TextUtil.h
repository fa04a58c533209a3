// Small text helpers: layouts are UTF-8, the program's texts UTF-16, and
// resource names compare without regard to letter case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zintra::ui {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

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

}  // namespace zintra::ui
