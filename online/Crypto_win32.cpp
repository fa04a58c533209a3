// Crypto.h with Windows' CNG (bcrypt.dll). Wine 8 provides the same calls
// (measured: SHA-256 hashing, ECDSA P-256 public key import and signature
// verification, a changed signature refused with STATUS_INVALID_SIGNATURE).
#include "online/Crypto.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>

namespace zintra {

// CNG keeps nothing per thread for the program to free.
void ReleaseThreadCryptoState() {}

namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool failed = false;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->failed =
        !Succeeded(BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
        !Succeeded(BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0));
}

Sha256::~Sha256() {
    if (state_->hash != nullptr) BCryptDestroyHash(state_->hash);
    if (state_->algorithm != nullptr) BCryptCloseAlgorithmProvider(state_->algorithm, 0);
}

void Sha256::Update(const void* data, std::size_t size) {
    auto* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
    while (!state_->failed && size > 0) {
        const ULONG part = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        if (!Succeeded(BCryptHashData(state_->hash, bytes, part, 0))) state_->failed = true;
        bytes += part;
        size -= part;
    }
}

std::optional<Sha256Digest> Sha256::Final() {
    Sha256Digest digest{};
    const bool ok = !state_->failed && Succeeded(BCryptFinishHash(state_->hash, digest.data(), digest.size(), 0));
    state_->failed = true;  // finished: no further use
    if (!ok) return std::nullopt;
    return digest;
}

bool VerifyEcdsaP256(const EcdsaPublicPoint& key, const Sha256Digest& digest, const EcdsaRawSignature& signature) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) return false;
    unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
    auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob);
    header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header->cbKey = 32;
    std::memcpy(blob + sizeof(BCRYPT_ECCKEY_BLOB), key.data(), key.size());
    BCRYPT_KEY_HANDLE publicKey = nullptr;
    bool valid = false;
    if (Succeeded(BCryptImportKeyPair(algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &publicKey, blob, sizeof(blob), 0))) {
        // CNG takes the signature as r and s side by side, as it is kept here.
        Sha256Digest hashed = digest;
        EcdsaRawSignature raw = signature;
        valid = Succeeded(BCryptVerifySignature(publicKey, nullptr, hashed.data(), hashed.size(), raw.data(),
                                                raw.size(), 0));
        BCryptDestroyKey(publicKey);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return valid;
}

}  // namespace zintra
