#include "platform/wayland/WaylandInput.h"

#include <linux/input-event-codes.h>

#include "platform/Messages.h"

namespace zintra::platform::wayland {
namespace {

std::uint32_t LinuxButtonCode(const MouseButton& button) {
    return button.x11Number == kRightButton.x11Number ? BTN_RIGHT : BTN_LEFT;
}

}  // namespace

WaylandInput::WaylandInput(MouseInput& x11, VirtualPointer& pointer, X11WindowAt x11WindowAt)
    : x11_(x11), pointer_(pointer), x11WindowAt_(std::move(x11WindowAt)) {}

std::string WaylandInput::InputProblem() {
    if (pointer_.Connected()) return {};
    return "桌面合成器断开了与本程序的连接，点击无法送达。请重新启动本程序。";
}

std::uint32_t WaylandInput::SendMouseEvents(const MouseEvent* events, std::uint32_t count) {
    if (!pointer_.Connected()) return 0;
    // Where the compositor's pointer was put for these events, if anywhere.
    std::optional<Point> movedTo;
    for (std::uint32_t i = 0; i < count; ++i) {
        const MouseEvent& e = events[i];
        const bool moves = (e.flags & msg::kMouseEventMove) != 0 && (e.flags & msg::kMouseEventAbsolute) != 0;
        if (moves) movedTo = MoveTo(e);
        // Asked at each event: a motion may have brought another window under the pointer.
        const bool toX11 = x11WindowAt_(movedTo);
        if (toX11 && moves) {
            // Xwayland put its pointer there, but an XTest button lands where
            // XTest last moved its own device (measured in sway 1.7). Xwayland
            // then no longer counts that position as the user's.
            MouseEvent motion = e;
            motion.flags &= msg::kMouseEventMove | msg::kMouseEventAbsolute | msg::kMouseEventVirtualDesk;
            x11_.SendMouseEvents(&motion, 1);
        }
        Buttons(e, toX11);
    }
    pointer_.Flush();
    return pointer_.Connected() ? count : 0;
}

Point WaylandInput::MoveTo(const MouseEvent& event) {
    const Size screen = x11_.PrimaryScreenSize();
    const auto denormalise = [](std::int32_t value, std::int32_t extent) {
        return static_cast<std::int32_t>((static_cast<std::int64_t>(value) * extent + 65535) / 65536);
    };
    const Point to{denormalise(event.dx, screen.width), denormalise(event.dy, screen.height)};
    pointer_.MoveTo(to.x, to.y);
    // Xwayland learns whether an X11 window is now under the pointer from the
    // compositor; wait until the compositor has handled the motion.
    pointer_.Sync();
    return to;
}

void WaylandInput::Buttons(const MouseEvent& event, bool toX11) {
    for (const MouseButton& b : kMouseButtons) {
        if ((event.flags & (b.downFlag | b.upFlag)) == 0) continue;
        if (toX11) {
            MouseEvent button{};
            button.flags = event.flags & (b.downFlag | b.upFlag);
            x11_.SendMouseEvents(&button, 1);
            continue;
        }
        if ((event.flags & b.downFlag) != 0) pointer_.Button(LinuxButtonCode(b), true);
        if ((event.flags & b.upFlag) != 0) pointer_.Button(LinuxButtonCode(b), false);
    }
}

}  // namespace zintra::platform::wayland
