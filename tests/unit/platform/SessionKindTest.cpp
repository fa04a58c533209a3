// Which input paths a session gets: a wrong answer clicks nowhere.
#include <gtest/gtest.h>

#include "platform/linux/SessionKind.h"

namespace zintra::platform::linux_x11 {
namespace {

TEST(SessionKindTest, TheSessionTypeDecidesWhenSet) {
    EXPECT_EQ(SessionKindFrom("wayland", nullptr), SessionKind::Wayland);
    EXPECT_EQ(SessionKindFrom("wayland", "wayland-0"), SessionKind::Wayland);
    EXPECT_EQ(SessionKindFrom("x11", nullptr), SessionKind::X11);
}

TEST(SessionKindTest, WithoutASessionTypeTheCompositorsVariableDecides) {
    EXPECT_EQ(SessionKindFrom(nullptr, "wayland-1"), SessionKind::Wayland);
    // A compositor nested in an X11 session: its clients' X server is its XWayland.
    EXPECT_EQ(SessionKindFrom("x11", "wayland-1"), SessionKind::Wayland);
    EXPECT_EQ(SessionKindFrom("tty", "wayland-1"), SessionKind::Wayland);
    EXPECT_EQ(SessionKindFrom(nullptr, ""), SessionKind::X11);
    EXPECT_EQ(SessionKindFrom(nullptr, nullptr), SessionKind::X11);
    EXPECT_EQ(SessionKindFrom("", nullptr), SessionKind::X11);
}

}  // namespace
}  // namespace zintra::platform::linux_x11
