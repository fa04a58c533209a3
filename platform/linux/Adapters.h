// Which network adapter's hardware address identifies the machine.
#pragma once

#include <optional>
#include <vector>

#include "platform/System.h"

namespace zintra::platform::linux_x11 {

struct Adapter {
    unsigned index = 0;  // the interface index: the order the system numbers them in
    bool loopback = false;
    bool up = false;
    std::vector<unsigned char> address;
};

// The first adapter by index that is not the loopback and has a six-byte,
// non-zero address, preferring one that is up: devices that are down are
// often virtual ones with an address made up at each boot.
std::optional<HardwareAddress> ChooseAdapterAddress(std::vector<Adapter> adapters);

}  // namespace zintra::platform::linux_x11
