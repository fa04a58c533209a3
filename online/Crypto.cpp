#include "online/Crypto.h"

#include <cstdio>

namespace zintra {

std::optional<Sha256Digest> Sha256::Of(std::string_view bytes) {
    Sha256 hash;
    hash.Update(bytes.data(), bytes.size());
    return hash.Final();
}

std::string Sha256HexOfFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return {};
    Sha256 hash;
    char block[64 * 1024];
    bool readError = false;
    for (;;) {
        const std::size_t read = std::fread(block, 1, sizeof(block), file);
        if (read > 0) hash.Update(block, read);
        if (read < sizeof(block)) {
            readError = std::ferror(file) != 0;
            break;
        }
    }
    std::fclose(file);
    const auto digest = hash.Final();
    if (readError || !digest) return {};
    return Sha256Hex(*digest);
}

std::string Sha256Hex(const Sha256Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

}  // namespace zintra
