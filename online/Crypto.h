// The operating system's own cryptography, for trusting updates: SHA-256 and
// the check of an ECDSA P-256 signature. libcrypto on Linux, CNG on Windows;
// no hand-written cryptographic arithmetic anywhere in the program.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zintra {

using Sha256Digest = std::array<std::uint8_t, 32>;

// Frees what the cryptography library keeps for the calling thread (its
// error queue); a thread that did network work calls it as its last step.
void ReleaseThreadCryptoState();
// A P-256 public key as its two 32-byte coordinates, X then Y.
using EcdsaPublicPoint = std::array<std::uint8_t, 64>;
// The DER SubjectPublicKeyInfo of an uncompressed P-256 point, up to the point.
inline constexpr std::uint8_t kP256SpkiPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48, 0xce,
                                                   0x3d, 0x02, 0x01, 0x06, 0x08, 0x2a, 0x86, 0x48, 0xce, 0x3d,
                                                   0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
// A P-256 signature as its two 32-byte numbers, r then s.
using EcdsaRawSignature = std::array<std::uint8_t, 64>;

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(const void* data, std::size_t size);
    // Ends the message. Nothing when the system could not compute it.
    std::optional<Sha256Digest> Final();

    static std::optional<Sha256Digest> Of(std::string_view bytes);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// 64 lower-case hexadecimal digits.
std::string Sha256Hex(const Sha256Digest& digest);

// 64 lower-case hexadecimal digits of the file's SHA-256 digest; empty when
// the file cannot be read or the digest cannot be computed, so it never
// matches a published digest.
std::string Sha256HexOfFile(const std::string& path);

// Whether `signature` over `digest` (a SHA-256 digest of the message) was
// made by the private key of `key`. A point that is not on the curve verifies
// nothing.
bool VerifyEcdsaP256(const EcdsaPublicPoint& key, const Sha256Digest& digest, const EcdsaRawSignature& signature);

}  // namespace zintra
