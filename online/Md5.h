// The MD5 message digest (RFC 1321), used to check a downloaded installer
// against the digest its update description names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zintra {

class Md5 {
public:
    Md5();
    void Update(const void* data, std::size_t size);
    // Ends the message; the object must not be updated afterwards.
    std::array<std::uint8_t, 16> Final();

    // 32 lower-case hexadecimal digits.
    static std::string Hex(const std::array<std::uint8_t, 16>& digest);
    static std::string OfText(std::string_view text);

private:
    void Transform(const std::uint8_t* block);

    std::uint32_t state_[4];
    std::uint64_t length_ = 0;  // bytes so far
    std::uint8_t buffer_[64] = {};
};

// The digest of a file, read in large blocks; a file that cannot be
// opened contributes no bytes (the digest of nothing).
std::string Md5OfFile(const std::string& path);

}  // namespace zintra
