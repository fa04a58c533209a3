// Fuzzes the reading of update.json.sig and of signing keys: any bytes must be
// refused or read, never crash; a signature text that decodes must be the
// canonical base64 of its bytes, and nothing verifies without a real signature.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "online/Base64.h"
#include "online/UpdateSignature.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto bytes = zintra::Base64Decode(text)) {
        if (zintra::Base64Encode(bytes->data(), bytes->size()) != text) __builtin_trap();
        if (const auto raw = zintra::EcdsaSignatureFromDer(*bytes); raw && bytes->size() > 72) __builtin_trap();
    }
    zintra::ParseUpdateKey(text);
    zintra::ParseUpdateKeyList(text);
    // A key whose private half was thrown away when it was made.
    static const auto key = zintra::ParseUpdateKey(
        "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAExXcRSimnCP1svWh5LS1mo7XnHqeH+xK+C8V/N/2l5KVOoYTGMDYEw4ScS2HPpevC"
        "fJOBJA6lE1u5efcrui4/AQ==");
    if (!key) __builtin_trap();
    if (zintra::VerifyUpdateSignature("{\"version\": 9}", text, {*key})) __builtin_trap();
    return 0;
}
