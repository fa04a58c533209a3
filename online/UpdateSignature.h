// Whether an update description comes from whoever holds the release's
// offline signing key: `update.json.sig`, published beside `update.json`, is
// the base64 of an ECDSA P-256 / SHA-256 signature (DER, as `openssl dgst
// -sha256 -sign` writes it) over the description's exact bytes.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "online/Crypto.h"

namespace zintra {

// A key as it is configured: the base64 of its DER SubjectPublicKeyInfo
// (`openssl ec -pubout -outform DER | base64 -w0`). Nothing for anything that
// is not a P-256 key in that form.
std::optional<EcdsaPublicPoint> ParseUpdateKey(std::string_view base64);

// r and s of a DER-encoded ECDSA P-256 signature, each as 32 bytes. Only the
// strict encoding is read: nothing when anything is out of place.
std::optional<EcdsaRawSignature> EcdsaSignatureFromDer(std::string_view der);

// True when `signatureText` (base64, blanks and line breaks around it allowed)
// is a signature of exactly `description` by one of `keys`. Never true
// without a key.
bool VerifyUpdateSignature(std::string_view description, std::string_view signatureText,
                           const std::vector<EcdsaPublicPoint>& keys);

// The keys this build trusts (the ZINTRA_UPDATE_KEYS build setting, at most
// two, for a change of key). Nothing: this build takes descriptions unsigned.
// A setting that does not read gives an empty list, so nothing verifies (the
// build refuses such a setting before it gets that far).
const std::optional<std::vector<EcdsaPublicPoint>>& BuiltInUpdateKeys();

// Reads a list of keys separated by ';', ',' or blanks. Nothing when any of
// them is not a key, or when there are more than two.
std::optional<std::vector<EcdsaPublicPoint>> ParseUpdateKeyList(std::string_view text);

// What the build setting's text means: nothing when it names no key at all
// (descriptions unsigned), otherwise its keys, or an empty list, which
// verifies nothing, when it does not read.
std::optional<std::vector<EcdsaPublicPoint>> UpdateKeysFromSetting(std::string_view setting);

}  // namespace zintra
