#include "platform/x11/X11Desktop.h"

#include <X11/Xlib.h>

namespace zintra::platform::x11 {

X11Desktop::X11Desktop()
    : display_(XOpenDisplay(nullptr)), input_(display_), keyboard_(display_), trayIcon_(display_) {}

X11Desktop::~X11Desktop() {
    trayIcon_.Hide();  // its X window goes before the connection
    if (display_ != nullptr) XCloseDisplay(display_);
}

}  // namespace zintra::platform::x11
