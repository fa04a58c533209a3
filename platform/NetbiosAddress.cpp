#include "platform/NetbiosAddress.h"

namespace zintra::platform {

std::optional<HardwareAddress> QueryFirstLanaAddress(NetbiosCommands& netbios) {
    const auto lanas = netbios.Enumerate();
    if (!lanas) return std::nullopt;
    if (!lanas->empty()) {
        bool reset = false;
        for (std::uint8_t lana : *lanas) {
            if (netbios.Reset(lana)) {
                reset = true;
                break;
            }
        }
        if (!reset) return std::nullopt;
    }
    // Whichever adapter reset, the status is that of the first one listed.
    return netbios.AdapterStatus(lanas->empty() ? 0 : lanas->front());
}

}  // namespace zintra::platform
