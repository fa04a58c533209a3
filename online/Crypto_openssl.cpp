// Crypto.h with libcrypto (OpenSSL 3), for the Linux builds.
#include "online/Crypto.h"

#include <algorithm>

#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

namespace zintra {

void ReleaseThreadCryptoState() { OPENSSL_thread_stop(); }

struct Sha256::State {
    EVP_MD_CTX* context = nullptr;
    bool failed = false;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->context = EVP_MD_CTX_new();
    state_->failed = state_->context == nullptr || EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr) != 1;
}

Sha256::~Sha256() { EVP_MD_CTX_free(state_->context); }

void Sha256::Update(const void* data, std::size_t size) {
    if (!state_->failed && EVP_DigestUpdate(state_->context, data, size) != 1) state_->failed = true;
}

std::optional<Sha256Digest> Sha256::Final() {
    Sha256Digest digest{};
    unsigned int length = 0;
    if (state_->failed || EVP_DigestFinal_ex(state_->context, digest.data(), &length) != 1 || length != digest.size()) {
        state_->failed = true;
        return std::nullopt;
    }
    state_->failed = true;  // finished: no further use
    return digest;
}

namespace {


EVP_PKEY* PublicKey(const EcdsaPublicPoint& point) {
    std::uint8_t der[sizeof(kP256SpkiPrefix) + 64];
    std::copy(std::begin(kP256SpkiPrefix), std::end(kP256SpkiPrefix), der);
    std::copy(point.begin(), point.end(), der + sizeof(kP256SpkiPrefix));
    const unsigned char* cursor = der;
    // Decoding checks that the point lies on the curve.
    return d2i_PUBKEY(nullptr, &cursor, sizeof(der));
}

// libcrypto takes signatures DER-encoded.
std::basic_string<unsigned char> DerSignature(const EcdsaRawSignature& raw) {
    ECDSA_SIG* signature = ECDSA_SIG_new();
    if (signature == nullptr) return {};
    BIGNUM* r = BN_bin2bn(raw.data(), 32, nullptr);
    BIGNUM* s = BN_bin2bn(raw.data() + 32, 32, nullptr);
    std::basic_string<unsigned char> der;
    if (r != nullptr && s != nullptr && ECDSA_SIG_set0(signature, r, s) == 1) {
        r = s = nullptr;  // owned by the signature now
        unsigned char* encoded = nullptr;
        const int length = i2d_ECDSA_SIG(signature, &encoded);
        if (length > 0) der.assign(encoded, static_cast<std::size_t>(length));
        OPENSSL_free(encoded);
    }
    BN_free(r);
    BN_free(s);
    ECDSA_SIG_free(signature);
    return der;
}

}  // namespace

bool VerifyEcdsaP256(const EcdsaPublicPoint& key, const Sha256Digest& digest, const EcdsaRawSignature& signature) {
    const auto der = DerSignature(signature);
    if (der.empty()) return false;
    EVP_PKEY* publicKey = PublicKey(key);
    if (publicKey == nullptr) return false;
    bool valid = false;
    if (EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(publicKey, nullptr)) {
        valid = EVP_PKEY_verify_init(context) == 1 && EVP_PKEY_CTX_set_signature_md(context, EVP_sha256()) == 1 &&
                EVP_PKEY_verify(context, der.data(), der.size(), digest.data(), digest.size()) == 1;
        EVP_PKEY_CTX_free(context);
    }
    EVP_PKEY_free(publicKey);
    return valid;
}

}  // namespace zintra
