#include <gtest/gtest.h>

#include "platform/x11/XEmbedTrayIcon.h"

namespace zintra::platform::x11 {
namespace {

TEST(XEmbedTrayIconSize, PanelSizesAreTakenAndNonsenseIgnored) {
    EXPECT_TRUE(PlausibleTrayIconSize(22, 22));
    EXPECT_TRUE(PlausibleTrayIconSize(kMaxTrayIconSize, kMaxTrayIconSize));
    EXPECT_TRUE(PlausibleTrayIconSize(1, 48));
    EXPECT_FALSE(PlausibleTrayIconSize(kMaxTrayIconSize + 1, 22));
    EXPECT_FALSE(PlausibleTrayIconSize(22, 65535));
    EXPECT_FALSE(PlausibleTrayIconSize(0, 22));
    EXPECT_FALSE(PlausibleTrayIconSize(22, -4));
}

}  // namespace
}  // namespace zintra::platform::x11
