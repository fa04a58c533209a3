// AES encryption (Rijndael with a 16-byte block) in CBC mode, for the usage
// reports. Only encryption: the program never decrypts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zintra {

class CRijndael {
public:
    static constexpr int kBlockSize = 16;

    CRijndael() = default;
    virtual ~CRijndael() = default;

    // key: keyLength bytes (16, 24 or 32); chain: the 16-byte initialisation
    // vector. Throws std::runtime_error("Empty key") without a key, and
    // std::invalid_argument for sizes other than those.
    void SetKey(const std::uint8_t* key, const std::uint8_t* chain, int keyLength = 32, int blockSize = kBlockSize);
    // CBC over n bytes, n a positive multiple of 16; the chain carries over to
    // the next call. Throws "Object not Initialized" before SetKey and "Data
    // not multiple of Block Size" for any other n.
    void EncryptChained(const std::uint8_t* in, std::uint8_t* out, std::size_t n);
    // One block, FIPS-197.
    void CipherBlock(const std::uint8_t* in, std::uint8_t* out) const;

private:
    static constexpr int kMaxRounds = 14;

    void RequireKey() const;

    bool keySet_ = false;
    int keyLength_ = 32;
    int blockSize_ = kBlockSize;
    int rounds_ = kMaxRounds;
    std::array<std::uint8_t, kBlockSize> initialChain_{};
    std::array<std::uint8_t, kBlockSize> chain_{};
    std::array<std::array<std::uint32_t, 4>, kMaxRounds + 1> roundKeys_{};
};

}  // namespace zintra
