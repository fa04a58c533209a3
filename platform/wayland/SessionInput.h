// Which path carries the program's clicks in the user's session: XTest alone
// in an X11 session (as always), and in a Wayland session the virtual pointer
// where the compositor offers one. Elsewhere the program's entry uses the
// desktop's remote-desktop portal.
#pragma once

#include <functional>
#include <memory>

#include "platform/MouseInput.h"
#include "platform/linux/DesktopLoop.h"
#include "platform/linux/SessionKind.h"
#include "platform/wayland/VirtualPointer.h"

namespace zintra::platform::wayland {

class SessionInput {
public:
    // `x11` is the XTest input of the program's X connection (Xwayland in a
    // Wayland session); `overX11Window` tells whether the pointer is over an
    // X11 window. `x11` must outlive this.
    SessionInput(linux_x11::SessionKind kind, MouseInput& x11, std::function<bool()> overX11Window);
    ~SessionInput();

    // XTest where there is no virtual pointer.
    MouseInput& Input() { return *input_; }
    // The Wayland connection the event loop must dispatch; null when there is
    // none, which in a Wayland session leaves the portal.
    linux_x11::EventSource* Events() { return pointer_.get(); }

private:
    std::unique_ptr<VirtualPointer> pointer_;
    std::unique_ptr<MouseInput> owned_;
    MouseInput* input_;
};

}  // namespace zintra::platform::wayland
