// The first adapter's hardware address as NetBIOS reports it. The order of the
// three commands matters (the status is asked of the first enumerated adapter
// even when only a later one resets), so it is written once here over an
// interface that the tests can play.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/System.h"

namespace zintra::platform {

class NetbiosCommands {
public:
    virtual ~NetbiosCommands() = default;
    // NCBENUM: the adapter (LANA) numbers, or nothing when the call fails.
    virtual std::optional<std::vector<std::uint8_t>> Enumerate() = 0;
    // NCBRESET of one adapter.
    virtual bool Reset(std::uint8_t lana) = 0;
    // NCBASTAT with the call name "*": the adapter's address.
    virtual std::optional<HardwareAddress> AdapterStatus(std::uint8_t lana) = 0;
};

std::optional<HardwareAddress> QueryFirstLanaAddress(NetbiosCommands& netbios);

}  // namespace zintra::platform
