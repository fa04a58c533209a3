// How the program reads numbers that users type: seconds as the longest
// decimal floating-point prefix, whole numbers as sign and digits. Neither
// rejects anything; text without a number reads as 0.
#pragma once

#include <cstdint>
#include <string_view>

namespace zintra {

// Skips leading white space, then takes the longest prefix of the form
// [sign] digits [. digits] [(e|E) [sign] digits]; rounds to single precision.
// Hexadecimal, "inf" and "nan" are not numbers here.
float ReadSeconds(std::u16string_view text);

// Skips leading white space, takes an optional sign and the decimal digits up
// to the first other character. Values beyond 32 bits saturate.
std::int32_t ReadInteger(std::u16string_view text);

}  // namespace zintra
