#include "platform/linux/SessionKind.h"

#include <cstdlib>
#include <cstring>

namespace zintra::platform::linux_x11 {

SessionKind SessionKindFrom(const char* xdgSessionType, const char* waylandDisplay) {
    if (xdgSessionType != nullptr && std::strcmp(xdgSessionType, "wayland") == 0) return SessionKind::Wayland;
    // A compositor started without a session manager (or nested in an X11
    // session) sets only its own variable, and its X server is XWayland.
    if (waylandDisplay != nullptr && waylandDisplay[0] != '\0') return SessionKind::Wayland;
    return SessionKind::X11;
}

SessionKind CurrentSessionKind() {
    return SessionKindFrom(std::getenv("XDG_SESSION_TYPE"), std::getenv("WAYLAND_DISPLAY"));
}

}  // namespace zintra::platform::linux_x11
