#include "online/UpdateSignature.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "online/Base64.h"

namespace zintra {

namespace {

constexpr std::size_t kMaxKeys = 2;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// One DER INTEGER holding a positive number below 2^256, written into 32 bytes.
bool ReadInteger(std::string_view& der, std::uint8_t* out) {
    if (der.size() < 2 || static_cast<std::uint8_t>(der[0]) != 0x02) return false;
    const std::size_t length = static_cast<std::uint8_t>(der[1]);
    if (length == 0 || length > 33 || der.size() < 2 + length) return false;
    std::string_view value = der.substr(2, length);
    der.remove_prefix(2 + length);
    const auto first = static_cast<std::uint8_t>(value[0]);
    if (first & 0x80) return false;  // negative
    if (first == 0 && value.size() > 1) {
        // A leading zero only where the next byte would read as a sign.
        if (!(static_cast<std::uint8_t>(value[1]) & 0x80)) return false;
        value.remove_prefix(1);
    }
    if (value.size() > 32) return false;
    std::fill(out, out + 32, 0);
    std::copy(value.begin(), value.end(), out + (32 - value.size()));
    return true;
}

}  // namespace

std::optional<EcdsaPublicPoint> ParseUpdateKey(std::string_view base64) {
    const auto der = Base64Decode(Trimmed(base64));
    if (!der || der->size() != sizeof(kP256SpkiPrefix) + 64 ||
        !std::equal(std::begin(kP256SpkiPrefix), std::end(kP256SpkiPrefix), der->begin(),
                    [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); })) {
        return std::nullopt;
    }
    EcdsaPublicPoint point{};
    std::copy(der->begin() + sizeof(kP256SpkiPrefix), der->end(), point.begin());
    return point;
}

std::optional<EcdsaRawSignature> EcdsaSignatureFromDer(std::string_view der) {
    // SEQUENCE { INTEGER r, INTEGER s }: at most 2 + 2 × 35 bytes, so a one-byte length.
    if (der.size() < 2 || static_cast<std::uint8_t>(der[0]) != 0x30) return std::nullopt;
    const std::size_t length = static_cast<std::uint8_t>(der[1]);
    if (length >= 0x80 || der.size() < 2 + length) return std::nullopt;
    // Nothing may follow the sequence: one signature has exactly one encoding.
    if (der.size() > 2 + length) return std::nullopt;
    // The two numbers are read from inside the sequence only, and must fill it.
    std::string_view body = der.substr(2, length);
    EcdsaRawSignature raw{};
    if (!ReadInteger(body, raw.data()) || !ReadInteger(body, raw.data() + 32) || !body.empty()) return std::nullopt;
    return raw;
}

bool VerifyUpdateSignature(std::string_view description, std::string_view signatureText,
                           const std::vector<EcdsaPublicPoint>& keys) {
    if (keys.empty()) return false;
    const auto der = Base64Decode(Trimmed(signatureText));
    if (!der) return false;
    const auto signature = EcdsaSignatureFromDer(*der);
    if (!signature) return false;
    const auto digest = Sha256::Of(description);
    if (!digest) return false;
    return std::any_of(keys.begin(), keys.end(),
                       [&](const EcdsaPublicPoint& key) { return VerifyEcdsaP256(key, *digest, *signature); });
}

std::optional<std::vector<EcdsaPublicPoint>> ParseUpdateKeyList(std::string_view text) {
    std::vector<EcdsaPublicPoint> keys;
    const auto isSeparator = [](char c) { return c == ';' || c == ',' || IsBlank(c); };
    std::size_t start = 0;
    while (start < text.size()) {
        if (isSeparator(text[start])) {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < text.size() && !isSeparator(text[end])) ++end;
        const auto key = ParseUpdateKey(text.substr(start, end - start));
        if (!key) return std::nullopt;
        keys.push_back(*key);
        start = end;
    }
    if (keys.size() > kMaxKeys) return std::nullopt;
    return keys;
}

std::optional<std::vector<EcdsaPublicPoint>> UpdateKeysFromSetting(std::string_view setting) {
    if (setting.find_first_not_of("; ,\t\r\n") == std::string_view::npos) return std::nullopt;
    return ParseUpdateKeyList(setting).value_or(std::vector<EcdsaPublicPoint>{});
}

}  // namespace zintra
