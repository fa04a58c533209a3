// The input of a Wayland session whose desktop lets no program click: it
// sends nothing and says what would work, rather than clicking nowhere in
// silence. Positions and screens still come from the X connection.
#pragma once

#include "platform/MouseInput.h"

namespace zintra::platform::wayland {

class UnreachableInput final : public MouseInput {
public:
    // `x11` must outlive this.
    explicit UnreachableInput(MouseInput& x11) : x11_(x11) {}

    std::uint32_t SendMouseEvents(const MouseEvent*, std::uint32_t) override { return 0; }
    Point CursorPosition() override { return x11_.CursorPosition(); }
    std::optional<Point> KnownCursorPosition() override { return x11_.KnownCursorPosition(); }
    Size PrimaryScreenSize() override { return x11_.PrimaryScreenSize(); }
    Rect VirtualDesktop() override { return x11_.VirtualDesktop(); }
    std::string InputProblem() override;
    void PrepareRun(std::function<void(bool ready)> done) override { done(false); }

private:
    MouseInput& x11_;
};

}  // namespace zintra::platform::wayland
