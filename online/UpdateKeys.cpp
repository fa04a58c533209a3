// The update signing keys this build trusts, from the ZINTRA_UPDATE_KEYS build
// setting. Kept in a file of its own so a test build can bring its own key.
#include "online/UpdateSignature.h"

#if !defined(ZINTRA_UPDATE_KEYS)
#error "ZINTRA_UPDATE_KEYS comes from online/CMakeLists.txt"
#endif

namespace zintra {

const std::optional<std::vector<EcdsaPublicPoint>>& BuiltInUpdateKeys() {
    static const auto keys = UpdateKeysFromSetting(ZINTRA_UPDATE_KEYS);
    return keys;
}

}  // namespace zintra
