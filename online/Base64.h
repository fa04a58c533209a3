// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks).
#pragma once

#include <cstddef>
#include <string>

namespace zintra {

std::string Base64Encode(const void* data, std::size_t length);

}  // namespace zintra
