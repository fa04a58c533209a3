#include "platform/linux/Adapters.h"

#include <algorithm>
#include <cstring>

namespace zintra::platform::linux_x11 {

std::optional<HardwareAddress> ChooseAdapterAddress(std::vector<Adapter> adapters) {
    const auto usable = [](const Adapter& adapter) {
        return !adapter.loopback && adapter.address.size() == 6 &&
               std::any_of(adapter.address.begin(), adapter.address.end(), [](unsigned char b) { return b != 0; });
    };
    adapters.erase(std::remove_if(adapters.begin(), adapters.end(), [&](const Adapter& a) { return !usable(a); }),
                   adapters.end());
    if (adapters.empty()) return std::nullopt;
    const auto chosen = std::min_element(adapters.begin(), adapters.end(), [](const Adapter& a, const Adapter& b) {
        return a.up != b.up ? a.up : a.index < b.index;
    });
    HardwareAddress address{};
    std::memcpy(address.data(), chosen->address.data(), address.size());
    return address;
}

}  // namespace zintra::platform::linux_x11
