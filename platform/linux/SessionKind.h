// Which display server the user's session runs. A Wayland session still
// gives us X11 through XWayland, but there X11's input reaches only X11
// programs, so clicks and the hotkey need the Wayland paths.
#pragma once

namespace zintra::platform::linux_x11 {

enum class SessionKind { X11, Wayland };

// From the two variables the session sets; either unset is null.
SessionKind SessionKindFrom(const char* xdgSessionType, const char* waylandDisplay);
// The running process's session.
SessionKind CurrentSessionKind();

}  // namespace zintra::platform::linux_x11
