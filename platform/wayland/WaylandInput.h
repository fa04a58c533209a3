// Clicks in a wlroots Wayland session, where no one path reaches every
// window: XTest reaches X11 windows only, and virtual-pointer clicks on X11
// windows under Xwayland are unreliable once the focus has moved between
// windows. So each click goes to the window under the pointer by the path
// that reaches it: XTest for an X11 window, the virtual pointer otherwise.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>

#include "platform/MouseInput.h"
#include "platform/wayland/VirtualPointer.h"

namespace zintra::platform::wayland {

class WaylandInput final : public MouseInput {
public:
    // `x11` is the XTest input of the program's Xwayland connection, which
    // also reads the pointer and the screen. `x11WindowAt` tells whether an
    // X11 window gets the clicks: the one under the user's pointer (no
    // point), or the one under the point the compositor's pointer has just
    // been moved to. `x11` and `pointer` must outlive this.
    using X11WindowAt = std::function<bool(std::optional<Point> movedTo)>;
    WaylandInput(MouseInput& x11, VirtualPointer& pointer, X11WindowAt x11WindowAt);

    std::uint32_t SendMouseEvents(const MouseEvent* events, std::uint32_t count) override;
    Point CursorPosition() override { return x11_.CursorPosition(); }
    std::optional<Point> KnownCursorPosition() override { return x11_.KnownCursorPosition(); }
    Size PrimaryScreenSize() override { return x11_.PrimaryScreenSize(); }
    Rect VirtualDesktop() override { return x11_.VirtualDesktop(); }
    std::string InputProblem() override;
    // Releases every button the run left held, on the path that pressed it.
    void EndRun() override;

private:
    Point MoveTo(const MouseEvent& event);
    void Buttons(const MouseEvent& event, bool toX11);
    void Release(std::size_t button);

    MouseInput& x11_;
    VirtualPointer& pointer_;
    X11WindowAt x11WindowAt_;
    // The buttons held down, one bit per kMouseButtons entry, by the path
    // that pressed them. A held button is not pressed again: Wayland button
    // events are changes of state, and sway passes a repeated press on and
    // counts it, so one release would no longer end the hold.
    unsigned heldByPointer_ = 0;
    unsigned heldByX11_ = 0;
};

}  // namespace zintra::platform::wayland
