#include "platform/wayland/WaylandInput.h"

#include <linux/input-event-codes.h>

#include <iterator>

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
        bool presses = false;
        for (const MouseButton& b : kMouseButtons) presses = presses || (e.flags & b.downFlag) != 0;
        // Asked at each motion and press (a motion may have brought another
        // window under the pointer); a release goes by the path that pressed.
        const bool toX11 = (moves || presses) && x11WindowAt_(movedTo);
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
    for (std::size_t i = 0; i < std::size(kMouseButtons); ++i) {
        const MouseButton& b = kMouseButtons[i];
        const unsigned bit = 1u << i;
        if ((event.flags & b.downFlag) != 0 && ((heldByPointer_ | heldByX11_) & bit) == 0) {
            if (toX11) {
                MouseEvent press{};
                press.flags = b.downFlag;
                x11_.SendMouseEvents(&press, 1);
                heldByX11_ |= bit;
            } else {
                pointer_.Button(LinuxButtonCode(b), true);
                heldByPointer_ |= bit;
            }
        }
        if ((event.flags & b.upFlag) != 0) Release(i);
    }
}

void WaylandInput::Release(std::size_t button) {
    const MouseButton& b = kMouseButtons[button];
    const unsigned bit = 1u << button;
    if ((heldByX11_ & bit) != 0) {
        MouseEvent release{};
        release.flags = b.upFlag;
        x11_.SendMouseEvents(&release, 1);
    }
    if ((heldByPointer_ & bit) != 0) pointer_.Button(LinuxButtonCode(b), false);
    heldByX11_ &= ~bit;
    heldByPointer_ &= ~bit;
}

void WaylandInput::EndRun() {
    if ((heldByPointer_ | heldByX11_) == 0) return;
    for (std::size_t i = 0; i < std::size(kMouseButtons); ++i) Release(i);
    pointer_.Flush();
}

}  // namespace zintra::platform::wayland
