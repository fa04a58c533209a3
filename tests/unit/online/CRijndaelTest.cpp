#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "online/CRijndael.h"
#include "tests/unit/support/Command.h"

namespace zintra {
namespace {

std::vector<std::uint8_t> FromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string ToHex(const std::uint8_t* bytes, std::size_t n) {
    return test::Hex(std::string(reinterpret_cast<const char*>(bytes), n));
}

std::string ExceptionText(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

// FIPS-197 appendix C: plaintext 00112233..ff under keys 000102..
TEST(CRijndael, CipherBlockMatchesTheFips197ExampleVectors) {
    const auto plain = FromHex("00112233445566778899aabbccddeeff");
    const auto key = FromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    const std::uint8_t zeroChain[16] = {};
    const struct {
        int keyLength;
        const char* expected;
    } vectors[] = {
        {16, "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {24, "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {32, "8ea2b7ca516745bfeafc49904b496089"},
    };
    for (const auto& vector : vectors) {
        CRijndael cipher;
        cipher.SetKey(key.data(), zeroChain, vector.keyLength, 16);
        std::uint8_t out[16];
        cipher.CipherBlock(plain.data(), out);
        EXPECT_EQ(ToHex(out, 16), vector.expected) << vector.keyLength << "-byte key";
    }
}

TEST(CRijndael, EncryptChainedIsCbcLikeOpensslAndCarriesTheChainAcrossCalls) {
    std::string plain;
    for (int i = 0; i < 64; ++i) plain += static_cast<char>(i * 37 + 5);
    const std::string key = "Qm7Rt2VxL9cWpZ4hNb8KdY3sGf6JaE1u";
    const std::string iv = "7261840395716428";

    const auto openssl = test::RunCommand("openssl enc -aes-256-cbc -nopad -K " + test::Hex(key) + " -iv " +
                                          test::Hex(iv) + " | od -An -v -tx1 | tr -d ' \\n'",
                                          plain);
    ASSERT_EQ(openssl.exitCode, 0);
    ASSERT_EQ(openssl.output.size(), 128u);

    const auto* in = reinterpret_cast<const std::uint8_t*>(plain.data());
    CRijndael whole;
    whole.SetKey(reinterpret_cast<const std::uint8_t*>(key.data()), reinterpret_cast<const std::uint8_t*>(iv.data()));
    std::uint8_t out[64];
    whole.EncryptChained(in, out, 64);
    EXPECT_EQ(ToHex(out, 64), openssl.output);

    CRijndael pieces;
    pieces.SetKey(reinterpret_cast<const std::uint8_t*>(key.data()), reinterpret_cast<const std::uint8_t*>(iv.data()));
    std::uint8_t piecewise[64];
    pieces.EncryptChained(in, piecewise, 16);
    pieces.EncryptChained(in + 16, piecewise + 16, 48);
    EXPECT_EQ(ToHex(piecewise, 64), openssl.output);
}

TEST(CRijndael, MisuseRaisesTheDocumentedTexts) {
    const std::uint8_t key[32] = {1};
    const std::uint8_t chain[16] = {};
    std::uint8_t block[48] = {};

    CRijndael fresh;
    EXPECT_EQ(ExceptionText([&] { fresh.CipherBlock(block, block); }), "Object not Initialized");
    EXPECT_EQ(ExceptionText([&] { fresh.EncryptChained(block, block, 16); }), "Object not Initialized");
    EXPECT_EQ(ExceptionText([&] { fresh.SetKey(nullptr, chain, 32, 16); }), "Empty key");

    CRijndael keyed;
    keyed.SetKey(key, chain, 32, 16);
    for (std::size_t n : {0u, 15u, 17u, 47u}) {
        EXPECT_EQ(ExceptionText([&] { keyed.EncryptChained(block, block, n); }), "Data not multiple of Block Size")
            << n;
    }
    EXPECT_THROW(keyed.SetKey(key, chain, 32, 24), std::invalid_argument);
    EXPECT_THROW(keyed.SetKey(key, chain, 20, 16), std::invalid_argument);
}

}  // namespace
}  // namespace zintra
