#include "online/Md5.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zintra {

namespace {

constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};
constexpr int kShift[64] = {
    7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
    5, 9,  14, 20, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 6, 10, 15, 21, 6, 10, 15, 21,
    6, 10, 15, 21, 6, 10, 15, 21,
};

constexpr std::size_t kFileReadBytes = 1 << 20;

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

namespace {

// The four round functions in their cheapest forms (equal to RFC 1321's).
inline std::uint32_t RoundF(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return z ^ (x & (y ^ z)); }
inline std::uint32_t RoundG(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (z & (x ^ y)); }
inline std::uint32_t RoundH(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; }
inline std::uint32_t RoundI(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); }

}  // namespace

// One of the 64 steps; written out below so no step decides at run time
// which function and word it uses.
#define ZINTRA_MD5_STEP(round, a, b, c, d, i, g) \
    a = b + std::rotl(a + round(b, c, d) + words[g] + kSine[i], kShift[i])

namespace {

// The working registers of one block.
struct Registers {
    std::uint32_t a, b, c, d;
};

// The block's sixteen little-endian words.
void LoadWords(const std::uint8_t* block, std::uint32_t (&words)[16]) {
    for (int i = 0; i < 16; ++i) {
        words[i] = std::uint32_t{block[i * 4]} | (std::uint32_t{block[i * 4 + 1]} << 8) |
                   (std::uint32_t{block[i * 4 + 2]} << 16) | (std::uint32_t{block[i * 4 + 3]} << 24);
    }
}

void FirstRound(Registers& r, const std::uint32_t (&words)[16]) {
    std::uint32_t &a = r.a, &b = r.b, &c = r.c, &d = r.d;
    ZINTRA_MD5_STEP(RoundF, a, b, c, d, 0, 0);
    ZINTRA_MD5_STEP(RoundF, d, a, b, c, 1, 1);
    ZINTRA_MD5_STEP(RoundF, c, d, a, b, 2, 2);
    ZINTRA_MD5_STEP(RoundF, b, c, d, a, 3, 3);
    ZINTRA_MD5_STEP(RoundF, a, b, c, d, 4, 4);
    ZINTRA_MD5_STEP(RoundF, d, a, b, c, 5, 5);
    ZINTRA_MD5_STEP(RoundF, c, d, a, b, 6, 6);
    ZINTRA_MD5_STEP(RoundF, b, c, d, a, 7, 7);
    ZINTRA_MD5_STEP(RoundF, a, b, c, d, 8, 8);
    ZINTRA_MD5_STEP(RoundF, d, a, b, c, 9, 9);
    ZINTRA_MD5_STEP(RoundF, c, d, a, b, 10, 10);
    ZINTRA_MD5_STEP(RoundF, b, c, d, a, 11, 11);
    ZINTRA_MD5_STEP(RoundF, a, b, c, d, 12, 12);
    ZINTRA_MD5_STEP(RoundF, d, a, b, c, 13, 13);
    ZINTRA_MD5_STEP(RoundF, c, d, a, b, 14, 14);
    ZINTRA_MD5_STEP(RoundF, b, c, d, a, 15, 15);
}

void SecondRound(Registers& r, const std::uint32_t (&words)[16]) {
    std::uint32_t &a = r.a, &b = r.b, &c = r.c, &d = r.d;
    ZINTRA_MD5_STEP(RoundG, a, b, c, d, 16, 1);
    ZINTRA_MD5_STEP(RoundG, d, a, b, c, 17, 6);
    ZINTRA_MD5_STEP(RoundG, c, d, a, b, 18, 11);
    ZINTRA_MD5_STEP(RoundG, b, c, d, a, 19, 0);
    ZINTRA_MD5_STEP(RoundG, a, b, c, d, 20, 5);
    ZINTRA_MD5_STEP(RoundG, d, a, b, c, 21, 10);
    ZINTRA_MD5_STEP(RoundG, c, d, a, b, 22, 15);
    ZINTRA_MD5_STEP(RoundG, b, c, d, a, 23, 4);
    ZINTRA_MD5_STEP(RoundG, a, b, c, d, 24, 9);
    ZINTRA_MD5_STEP(RoundG, d, a, b, c, 25, 14);
    ZINTRA_MD5_STEP(RoundG, c, d, a, b, 26, 3);
    ZINTRA_MD5_STEP(RoundG, b, c, d, a, 27, 8);
    ZINTRA_MD5_STEP(RoundG, a, b, c, d, 28, 13);
    ZINTRA_MD5_STEP(RoundG, d, a, b, c, 29, 2);
    ZINTRA_MD5_STEP(RoundG, c, d, a, b, 30, 7);
    ZINTRA_MD5_STEP(RoundG, b, c, d, a, 31, 12);
}

void ThirdRound(Registers& r, const std::uint32_t (&words)[16]) {
    std::uint32_t &a = r.a, &b = r.b, &c = r.c, &d = r.d;
    ZINTRA_MD5_STEP(RoundH, a, b, c, d, 32, 5);
    ZINTRA_MD5_STEP(RoundH, d, a, b, c, 33, 8);
    ZINTRA_MD5_STEP(RoundH, c, d, a, b, 34, 11);
    ZINTRA_MD5_STEP(RoundH, b, c, d, a, 35, 14);
    ZINTRA_MD5_STEP(RoundH, a, b, c, d, 36, 1);
    ZINTRA_MD5_STEP(RoundH, d, a, b, c, 37, 4);
    ZINTRA_MD5_STEP(RoundH, c, d, a, b, 38, 7);
    ZINTRA_MD5_STEP(RoundH, b, c, d, a, 39, 10);
    ZINTRA_MD5_STEP(RoundH, a, b, c, d, 40, 13);
    ZINTRA_MD5_STEP(RoundH, d, a, b, c, 41, 0);
    ZINTRA_MD5_STEP(RoundH, c, d, a, b, 42, 3);
    ZINTRA_MD5_STEP(RoundH, b, c, d, a, 43, 6);
    ZINTRA_MD5_STEP(RoundH, a, b, c, d, 44, 9);
    ZINTRA_MD5_STEP(RoundH, d, a, b, c, 45, 12);
    ZINTRA_MD5_STEP(RoundH, c, d, a, b, 46, 15);
    ZINTRA_MD5_STEP(RoundH, b, c, d, a, 47, 2);
}

void FourthRound(Registers& r, const std::uint32_t (&words)[16]) {
    std::uint32_t &a = r.a, &b = r.b, &c = r.c, &d = r.d;
    ZINTRA_MD5_STEP(RoundI, a, b, c, d, 48, 0);
    ZINTRA_MD5_STEP(RoundI, d, a, b, c, 49, 7);
    ZINTRA_MD5_STEP(RoundI, c, d, a, b, 50, 14);
    ZINTRA_MD5_STEP(RoundI, b, c, d, a, 51, 5);
    ZINTRA_MD5_STEP(RoundI, a, b, c, d, 52, 12);
    ZINTRA_MD5_STEP(RoundI, d, a, b, c, 53, 3);
    ZINTRA_MD5_STEP(RoundI, c, d, a, b, 54, 10);
    ZINTRA_MD5_STEP(RoundI, b, c, d, a, 55, 1);
    ZINTRA_MD5_STEP(RoundI, a, b, c, d, 56, 8);
    ZINTRA_MD5_STEP(RoundI, d, a, b, c, 57, 15);
    ZINTRA_MD5_STEP(RoundI, c, d, a, b, 58, 6);
    ZINTRA_MD5_STEP(RoundI, b, c, d, a, 59, 13);
    ZINTRA_MD5_STEP(RoundI, a, b, c, d, 60, 4);
    ZINTRA_MD5_STEP(RoundI, d, a, b, c, 61, 11);
    ZINTRA_MD5_STEP(RoundI, c, d, a, b, 62, 2);
    ZINTRA_MD5_STEP(RoundI, b, c, d, a, 63, 9);
}

}  // namespace

void Md5::Transform(const std::uint8_t* block) {
    std::uint32_t words[16];
    LoadWords(block, words);
    Registers r{state_[0], state_[1], state_[2], state_[3]};
    FirstRound(r, words);
    SecondRound(r, words);
    ThirdRound(r, words);
    FourthRound(r, words);
    state_[0] += r.a;
    state_[1] += r.b;
    state_[2] += r.c;
    state_[3] += r.d;
}

#undef ZINTRA_MD5_STEP

void Md5::Update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t used = static_cast<std::size_t>(length_ % 64);
    length_ += size;
    if (used > 0) {
        const std::size_t take = size < 64 - used ? size : 64 - used;
        std::memcpy(buffer_ + used, bytes, take);
        bytes += take;
        size -= take;
        used += take;
        if (used < 64) return;
        Transform(buffer_);
    }
    while (size >= 64) {
        Transform(bytes);
        bytes += 64;
        size -= 64;
    }
    if (size > 0) std::memcpy(buffer_, bytes, size);
}

std::array<std::uint8_t, 16> Md5::Final() {
    const std::uint64_t bits = length_ * 8;
    const std::uint8_t pad = 0x80;
    Update(&pad, 1);
    const std::uint8_t zero = 0;
    while (length_ % 64 != 56) Update(&zero, 1);
    std::uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    Update(lengthBytes, 8);
    std::array<std::uint8_t, 16> digest{};
    for (int i = 0; i < 16; ++i) digest[i] = static_cast<std::uint8_t>(state_[i / 4] >> (8 * (i % 4)));
    return digest;
}

std::string Md5::Hex(const std::array<std::uint8_t, 16>& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(32);
    for (std::uint8_t byte : digest) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 15]);
    }
    return hex;
}

std::string Md5::OfText(std::string_view text) {
    Md5 md5;
    md5.Update(text.data(), text.size());
    return Hex(md5.Final());
}

std::string Md5OfFile(const std::string& path) {
    Md5 md5;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        // Large reads straight into one buffer: few calls, no copy through
        // the stream's own buffer. The digest does not depend on the size.
        std::setvbuf(file, nullptr, _IONBF, 0);
        std::vector<std::uint8_t> block(kFileReadBytes);
        std::size_t read;
        while ((read = std::fread(block.data(), 1, block.size(), file)) > 0) md5.Update(block.data(), read);
        std::fclose(file);
    }
    return Md5::Hex(md5.Final());
}

}  // namespace zintra
