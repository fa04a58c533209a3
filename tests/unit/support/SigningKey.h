// An ECDSA P-256 key pair made for one test with the openssl command line,
// signing the way the release does (scripts/make_update_json.py).
#pragma once

#include <filesystem>
#include <string>

namespace zintra::test {

class SigningKey {
public:
    SigningKey();
    ~SigningKey();
    SigningKey(const SigningKey&) = delete;
    SigningKey& operator=(const SigningKey&) = delete;

    bool Made() const { return !publicKey_.empty(); }
    // The base64 DER SubjectPublicKeyInfo, as the ZINTRA_UPDATE_KEYS setting takes it.
    const std::string& PublicKeyBase64() const { return publicKey_; }
    const std::filesystem::path& PrivateKeyFile() const { return privateKey_; }
    // base64 of `openssl dgst -sha256 -sign` over the bytes, with a line feed.
    std::string Sign(const std::string& bytes) const;

private:
    std::filesystem::path directory_;
    std::filesystem::path privateKey_;
    std::string publicKey_;
};

}  // namespace zintra::test
