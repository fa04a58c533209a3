// UTF-16 (the program's text) and UTF-8 (the system's) both ways, under the
// names the Linux platform uses; the conversion itself is base/TextUtil's.
#pragma once

#include <string>

#include "base/TextUtil.h"

namespace zintra::platform::linux_x11 {

inline std::string ToUtf8(const std::u16string& text) { return Utf16ToUtf8(text); }
// Malformed bytes become U+FFFD.
inline std::u16string FromUtf8(const std::string& text) { return Utf8ToUtf16(text); }
// False for anything that is not well-formed UTF-8.
inline bool FromUtf8Strict(const std::string& text, std::u16string& out) {
    auto decoded = StrictUtf8ToUtf16(text);
    out = decoded ? std::move(*decoded) : std::u16string();
    return decoded.has_value();
}

}  // namespace zintra::platform::linux_x11
