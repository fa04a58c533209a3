// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zintra {

std::string Base64Encode(const void* data, std::size_t length);
// Only the canonical form decodes: whole groups of four, "=" only at the end,
// no blanks or line breaks, unused bits zero. Anything else gives nothing.
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace zintra
