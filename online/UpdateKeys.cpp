// The update signing keys this build trusts, from the ZINTRA_UPDATE_KEYS build
// setting. Kept in a file of its own so a test build can bring its own key.
#include "online/UpdateSignature.h"

#include <string_view>

#if !defined(ZINTRA_UPDATE_KEYS)
#error "ZINTRA_UPDATE_KEYS comes from online/CMakeLists.txt"
#endif

namespace zintra {

const std::optional<std::vector<EcdsaPublicPoint>>& BuiltInUpdateKeys() {
    static const std::optional<std::vector<EcdsaPublicPoint>> keys =
        []() -> std::optional<std::vector<EcdsaPublicPoint>> {
        constexpr std::string_view setting = ZINTRA_UPDATE_KEYS;
        if (setting.find_first_not_of("; ,\t\r\n") == std::string_view::npos) return std::nullopt;
        return ParseUpdateKeyList(setting).value_or(std::vector<EcdsaPublicPoint>{});
    }();
    return keys;
}

}  // namespace zintra
