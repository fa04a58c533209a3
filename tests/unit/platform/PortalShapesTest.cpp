// What the desktop portals are told and shown: the hotkey in the shortcut
// portal's form, a fixed point in the coordinates of the stream showing it,
// and when the desktop's binding differs from the user's keys.
#include <gtest/gtest.h>

#include "platform/Messages.h"
#include "platform/linux/PortalShortcuts.h"
#include "platform/linux/PortalStreams.h"
#include "platform/x11/KeyMapping.h"

namespace zintra::platform::linux_x11 {
namespace {

TEST(PortalShapes, TheTriggerNamesTheModifiersInOrderAndTheKeysymOfTheKey) {
    using x11::PortalTrigger;
    EXPECT_EQ(PortalTrigger(0, 0x77), "F8");
    EXPECT_EQ(PortalTrigger(msg::kModShift | msg::kModControl, 0x77), "CTRL+SHIFT+F8");
    EXPECT_EQ(PortalTrigger(msg::kModWin | msg::kModAlt | msg::kModControl | msg::kModShift, 'A'),
              "CTRL+ALT+SHIFT+LOGO+a");
    EXPECT_EQ(PortalTrigger(msg::kModAlt, '5'), "ALT+5");
    EXPECT_EQ(PortalTrigger(0, 0x20), "space");
    // A virtual key X has no keysym for cannot be asked for.
    EXPECT_EQ(PortalTrigger(msg::kModControl, 0), "");
}

TEST(PortalShapes, AFixedPointMapsIntoTheStreamThatShowsIt) {
    const std::vector<PortalStream> sideBySide{{40, Point{0, 0}, Size{1280, 1024}},
                                               {41, Point{1280, 0}, Size{1920, 1080}}};
    EXPECT_EQ(MapToStream(sideBySide, {1003, 777}), (StreamPoint{40, 1003, 777}));
    EXPECT_EQ(MapToStream(sideBySide, {1279, 0}), (StreamPoint{40, 1279, 0}));
    EXPECT_EQ(MapToStream(sideBySide, {1280, 1079}), (StreamPoint{41, 0, 1079}));
    // Below the first monitor and past the second: nothing shows it.
    EXPECT_EQ(MapToStream(sideBySide, {100, 1024}), std::nullopt);
    EXPECT_EQ(MapToStream(sideBySide, {3200, 10}), std::nullopt);
    // A monitor left of the primary one has negative coordinates.
    const std::vector<PortalStream> leftOfPrimary{{7, Point{-1024, 0}, Size{1024, 768}}};
    EXPECT_EQ(MapToStream(leftOfPrimary, {-1, 5}), (StreamPoint{7, 1023, 5}));
    // A lone stream without position or size shows the desktop from its origin.
    EXPECT_EQ(MapToStream({{3, std::nullopt, std::nullopt}}, {5000, 6}), (StreamPoint{3, 5000, 6}));
    EXPECT_EQ(MapToStream({}, {0, 0}), std::nullopt);
}

TEST(PortalShapes, OnlyOtherKeysCountAsADifferentBinding) {
    EXPECT_FALSE(OtherKeys("CTRL+SHIFT+F8", "Ctrl+Shift+F8"));
    EXPECT_FALSE(OtherKeys("F8", "f8"));
    EXPECT_FALSE(OtherKeys("CTRL+F8", "Ctrl + F8"));
    EXPECT_FALSE(OtherKeys("F8", ""));  // the desktop did not say
    EXPECT_TRUE(OtherKeys("CTRL+SHIFT+F8", "Ctrl+Alt+K"));
    EXPECT_TRUE(OtherKeys("F8", "F9"));
}

}  // namespace
}  // namespace zintra::platform::linux_x11
