// UTF-16 (the program's text) and UTF-8 (the system's) both ways.
#pragma once

#include <string>

namespace zintra::platform::linux_x11 {

std::string ToUtf8(const std::u16string& text);
// Malformed bytes become U+FFFD.
std::u16string FromUtf8(const std::string& text);
// False for anything that is not well-formed UTF-8.
bool FromUtf8Strict(const std::string& text, std::u16string& out);

}  // namespace zintra::platform::linux_x11
