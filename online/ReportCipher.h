// The body of a usage report: the report text padded (PKCS#7), encrypted with
// AES-256-CBC under the program's fixed report key and IV, then Base64.
#pragma once

#include <string>
#include <string_view>

namespace zintra {

// The 32 key bytes and 16 IV bytes are these characters as they stand.
inline constexpr char kReportKey[] = "Qm7Rt2VxL9cWpZ4hNb8KdY3sGf6JaE1u";
inline constexpr char kReportIv[] = "7261840395716428";

std::string EncryptReportBody(std::string_view text);

}  // namespace zintra
