// The adapter whose hardware address goes into the usage reports on Linux.
#include <gtest/gtest.h>

#include "platform/linux/Adapters.h"

namespace zintra::platform::linux_x11 {
namespace {

Adapter Make(unsigned index, std::vector<unsigned char> address, bool up = true, bool loopback = false) {
    return Adapter{index, loopback, up, std::move(address)};
}

const std::vector<unsigned char> kEth = {0x02, 0xFC, 0, 0, 0, 0x01};
const std::vector<unsigned char> kVirtual = {0xBA, 0x6F, 0xED, 0x1C, 0xAE, 0xA0};
const std::vector<unsigned char> kWifi = {0x3C, 0x22, 0xFB, 0x10, 0x20, 0x30};

TEST(ChooseAdapterAddress, FirstUpAdapterThatIsNotTheLoopbackByIndex) {
    const auto chosen = ChooseAdapterAddress({Make(4, kWifi), Make(1, {0, 0, 0, 0, 0, 0}, true, true),
                                              Make(2, kVirtual, /*up=*/false), Make(3, kEth)});
    ASSERT_TRUE(chosen);
    EXPECT_EQ(std::vector<unsigned char>(chosen->begin(), chosen->end()), kEth)
        << "the loopback, a down virtual device and a later index are passed over";
}

TEST(ChooseAdapterAddress, ADownAdapterServesWhenNoneIsUp) {
    const auto chosen = ChooseAdapterAddress({Make(5, kWifi, false), Make(2, kVirtual, false)});
    ASSERT_TRUE(chosen);
    EXPECT_EQ(std::vector<unsigned char>(chosen->begin(), chosen->end()), kVirtual);
}

TEST(ChooseAdapterAddress, NoAddressWithoutAUsableAdapter) {
    EXPECT_FALSE(ChooseAdapterAddress({}));
    EXPECT_FALSE(ChooseAdapterAddress({Make(1, {1, 2, 3, 4, 5, 6}, true, /*loopback=*/true)}));
    EXPECT_FALSE(ChooseAdapterAddress({Make(2, {0, 0, 0, 0, 0, 0})})) << "an all-zero address identifies nothing";
    EXPECT_FALSE(ChooseAdapterAddress({Make(3, {1, 2, 3, 4})})) << "not a six-byte address";
}

}  // namespace
}  // namespace zintra::platform::linux_x11
