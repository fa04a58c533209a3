// Fuzzes the reading of the update server's reply: any bytes must parse or
// not, never crash, and a reply that does not parse must change nothing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "online/UpdateCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    zintra::UpdateDescription description;
    description.version = 77;
    description.url = "kept";
    if (!zintra::ParseUpdateDescription(reply, description)) {
        if (description.version != 77 || description.url != "kept") __builtin_trap();
    }
    for (char c : description.fileMd5) {
        if (c >= 'A' && c <= 'Z') __builtin_trap();  // the digest is kept in lower case
    }
    return 0;
}
