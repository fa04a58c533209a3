#include "online/ReportCipher.h"

#include <cstdint>
#include <vector>

#include "online/Base64.h"
#include "online/CRijndael.h"

namespace zintra {

static_assert(sizeof(kReportKey) == 32 + 1 && sizeof(kReportIv) == 16 + 1);

std::string EncryptReportBody(std::string_view text) {
    // A text that fills whole blocks still gains one block of padding.
    const std::size_t padding = CRijndael::kBlockSize - text.size() % CRijndael::kBlockSize;
    std::vector<std::uint8_t> plain(text.begin(), text.end());
    plain.insert(plain.end(), padding, static_cast<std::uint8_t>(padding));

    CRijndael cipher;
    cipher.SetKey(reinterpret_cast<const std::uint8_t*>(kReportKey), reinterpret_cast<const std::uint8_t*>(kReportIv),
                  32, CRijndael::kBlockSize);
    std::vector<std::uint8_t> encrypted(plain.size());
    cipher.EncryptChained(plain.data(), encrypted.data(), plain.size());
    return Base64Encode(encrypted.data(), encrypted.size());
}

}  // namespace zintra
