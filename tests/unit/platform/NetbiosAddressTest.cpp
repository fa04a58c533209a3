#include <gtest/gtest.h>

#include <map>

#include "platform/NetbiosAddress.h"

namespace zintra::platform {
namespace {

// Plays the adapter side of NetBIOS and records the commands it was given.
class ScriptedNetbios final : public NetbiosCommands {
public:
    std::optional<std::vector<std::uint8_t>> lanas;
    std::map<std::uint8_t, bool> resets;  // lana -> reset succeeds
    std::map<std::uint8_t, HardwareAddress> addresses;
    std::vector<std::string> calls;

    std::optional<std::vector<std::uint8_t>> Enumerate() override {
        calls.push_back("enum");
        return lanas;
    }
    bool Reset(std::uint8_t lana) override {
        calls.push_back("reset " + std::to_string(lana));
        return resets[lana];
    }
    std::optional<HardwareAddress> AdapterStatus(std::uint8_t lana) override {
        calls.push_back("status " + std::to_string(lana));
        auto it = addresses.find(lana);
        if (it == addresses.end()) return std::nullopt;
        return it->second;
    }
};

const HardwareAddress kFirst{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
const HardwareAddress kSecond{0x02, 0x00, 0x00, 0x00, 0x00, 0x02};

TEST(NetbiosAddress, SecondAdapterResettingStillReportsTheFirstAdaptersAddress) {
    ScriptedNetbios netbios;
    netbios.lanas = std::vector<std::uint8_t>{3, 7};
    netbios.resets = {{3, false}, {7, true}};
    netbios.addresses = {{3, kFirst}, {7, kSecond}};
    EXPECT_EQ(QueryFirstLanaAddress(netbios), kFirst);
    EXPECT_EQ(netbios.calls, (std::vector<std::string>{"enum", "reset 3", "reset 7", "status 3"}));
}

TEST(NetbiosAddress, ResetStopsAtTheFirstAdapterThatSucceeds) {
    ScriptedNetbios netbios;
    netbios.lanas = std::vector<std::uint8_t>{3, 7};
    netbios.resets = {{3, true}, {7, true}};
    netbios.addresses = {{3, kFirst}};
    EXPECT_EQ(QueryFirstLanaAddress(netbios), kFirst);
    EXPECT_EQ(netbios.calls, (std::vector<std::string>{"enum", "reset 3", "status 3"}));
}

TEST(NetbiosAddress, AnyFailingStepGivesNoAddress) {
    ScriptedNetbios enumFails;
    EXPECT_EQ(QueryFirstLanaAddress(enumFails), std::nullopt);
    EXPECT_EQ(enumFails.calls, (std::vector<std::string>{"enum"}));

    ScriptedNetbios noReset;
    noReset.lanas = std::vector<std::uint8_t>{1, 2};
    noReset.addresses = {{1, kFirst}};
    EXPECT_EQ(QueryFirstLanaAddress(noReset), std::nullopt);
    EXPECT_EQ(noReset.calls, (std::vector<std::string>{"enum", "reset 1", "reset 2"}));

    ScriptedNetbios statusFails;
    statusFails.lanas = std::vector<std::uint8_t>{1};
    statusFails.resets = {{1, true}};
    EXPECT_EQ(QueryFirstLanaAddress(statusFails), std::nullopt);
}

TEST(NetbiosAddress, EmptyEnumerationAsksAdapterZeroWithoutReset) {
    ScriptedNetbios netbios;
    netbios.lanas = std::vector<std::uint8_t>{};
    netbios.addresses = {{0, kSecond}};
    EXPECT_EQ(QueryFirstLanaAddress(netbios), kSecond);
    EXPECT_EQ(netbios.calls, (std::vector<std::string>{"enum", "status 0"}));
}

}  // namespace
}  // namespace zintra::platform
