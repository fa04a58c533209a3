#include "online/CRijndael.h"

#include <bit>
#include <stdexcept>

namespace zintra {

namespace {

constexpr std::uint8_t Times2(std::uint8_t x) {
    return static_cast<std::uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0x00));
}

// The S-box follows from the multiplicative inverse in GF(2^8) and the affine
// map, so it is derived rather than typed in.
constexpr std::array<std::uint8_t, 256> MakeSubstitution() {
    std::array<std::uint8_t, 256> box{};
    std::uint8_t p = 1;
    std::uint8_t q = 1;
    do {
        p = static_cast<std::uint8_t>(p ^ Times2(p));  // p *= 3, a generator
        q = static_cast<std::uint8_t>(q ^ (q << 1));   // q /= 3
        q = static_cast<std::uint8_t>(q ^ (q << 2));
        q = static_cast<std::uint8_t>(q ^ (q << 4));
        if (q & 0x80) q = static_cast<std::uint8_t>(q ^ 0x09);
        box[p] = static_cast<std::uint8_t>(q ^ std::rotl(q, 1) ^ std::rotl(q, 2) ^ std::rotl(q, 3) ^
                                           std::rotl(q, 4) ^ 0x63);
    } while (p != 1);
    box[0] = 0x63;  // zero has no inverse
    return box;
}

constexpr auto kSubstitution = MakeSubstitution();
static_assert(kSubstitution[0x00] == 0x63 && kSubstitution[0x01] == 0x7C && kSubstitution[0x53] == 0xED &&
              kSubstitution[0xFF] == 0x16);

constexpr std::uint32_t RotateRight(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

// SubBytes and MixColumns of one byte in one column, for each of the four rows.
struct RoundTables {
    std::array<std::uint32_t, 256> t[4];
};

constexpr RoundTables MakeRoundTables() {
    RoundTables tables{};
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t s = kSubstitution[i];
        const std::uint8_t s2 = Times2(s);
        const std::uint8_t s3 = static_cast<std::uint8_t>(s2 ^ s);
        const std::uint32_t word = (std::uint32_t{s2} << 24) | (std::uint32_t{s} << 16) | (std::uint32_t{s} << 8) | s3;
        tables.t[0][i] = word;
        tables.t[1][i] = RotateRight(word, 8);
        tables.t[2][i] = RotateRight(word, 16);
        tables.t[3][i] = RotateRight(word, 24);
    }
    return tables;
}

constexpr RoundTables kRoundTables = MakeRoundTables();

std::uint32_t SubWord(std::uint32_t w) {
    return (std::uint32_t{kSubstitution[w >> 24]} << 24) | (std::uint32_t{kSubstitution[(w >> 16) & 0xFF]} << 16) |
           (std::uint32_t{kSubstitution[(w >> 8) & 0xFF]} << 8) | kSubstitution[w & 0xFF];
}

std::uint32_t LoadBigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void StoreBigEndian(std::uint32_t w, std::uint8_t* p) {
    p[0] = static_cast<std::uint8_t>(w >> 24);
    p[1] = static_cast<std::uint8_t>(w >> 16);
    p[2] = static_cast<std::uint8_t>(w >> 8);
    p[3] = static_cast<std::uint8_t>(w);
}

}  // namespace

void CRijndael::SetKey(const std::uint8_t* key, const std::uint8_t* chain, int keyLength, int blockSize) {
    if (key == nullptr) throw std::runtime_error("Empty key");
    if ((keyLength != 16 && keyLength != 24 && keyLength != 32) || blockSize != kBlockSize || chain == nullptr) {
        throw std::invalid_argument("Unsupported key or block size");
    }
    keyLength_ = keyLength;
    blockSize_ = blockSize;
    const int keyWords = keyLength / 4;
    rounds_ = 6 + keyWords;  // 6 plus the larger of key and block length in words

    // FIPS-197 key expansion.
    std::uint32_t words[4 * (kMaxRounds + 1)];
    const int total = 4 * (rounds_ + 1);
    for (int i = 0; i < keyWords; ++i) words[i] = LoadBigEndian(key + 4 * i);
    std::uint8_t roundConstant = 1;
    for (int i = keyWords; i < total; ++i) {
        std::uint32_t w = words[i - 1];
        if (i % keyWords == 0) {
            w = SubWord((w << 8) | (w >> 24)) ^ (std::uint32_t{roundConstant} << 24);
            roundConstant = Times2(roundConstant);
        } else if (keyWords > 6 && i % keyWords == 4) {
            w = SubWord(w);
        }
        words[i] = words[i - keyWords] ^ w;
    }
    for (int round = 0; round <= rounds_; ++round) {
        for (int column = 0; column < 4; ++column) roundKeys_[round][column] = words[4 * round + column];
    }

    for (int i = 0; i < kBlockSize; ++i) initialChain_[i] = chain[i];
    chain_ = initialChain_;
    keySet_ = true;
}

void CRijndael::RequireKey() const {
    if (!keySet_) throw std::runtime_error("Object not Initialized");
}

void CRijndael::CipherBlock(const std::uint8_t* in, std::uint8_t* out) const {
    RequireKey();
    const auto& t = kRoundTables.t;
    std::uint32_t s[4];
    for (int c = 0; c < 4; ++c) s[c] = LoadBigEndian(in + 4 * c) ^ roundKeys_[0][c];
    for (int round = 1; round < rounds_; ++round) {
        std::uint32_t next[4];
        for (int c = 0; c < 4; ++c) {
            next[c] = t[0][s[c] >> 24] ^ t[1][(s[(c + 1) % 4] >> 16) & 0xFF] ^ t[2][(s[(c + 2) % 4] >> 8) & 0xFF] ^
                      t[3][s[(c + 3) % 4] & 0xFF] ^ roundKeys_[round][c];
        }
        for (int c = 0; c < 4; ++c) s[c] = next[c];
    }
    // The last round has no MixColumns.
    for (int c = 0; c < 4; ++c) {
        const std::uint32_t w = (std::uint32_t{kSubstitution[s[c] >> 24]} << 24) |
                                (std::uint32_t{kSubstitution[(s[(c + 1) % 4] >> 16) & 0xFF]} << 16) |
                                (std::uint32_t{kSubstitution[(s[(c + 2) % 4] >> 8) & 0xFF]} << 8) |
                                kSubstitution[s[(c + 3) % 4] & 0xFF];
        StoreBigEndian(w ^ roundKeys_[rounds_][c], out + 4 * c);
    }
}

void CRijndael::EncryptChained(const std::uint8_t* in, std::uint8_t* out, std::size_t n) {
    RequireKey();
    if (n == 0 || n % kBlockSize != 0) throw std::runtime_error("Data not multiple of Block Size");
    for (std::size_t offset = 0; offset < n; offset += kBlockSize) {
        for (int i = 0; i < kBlockSize; ++i) chain_[i] ^= in[offset + i];
        CipherBlock(chain_.data(), out + offset);
        for (int i = 0; i < kBlockSize; ++i) chain_[i] = out[offset + i];
    }
}

}  // namespace zintra
