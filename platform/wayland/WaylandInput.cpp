#include "platform/wayland/WaylandInput.h"

#include <linux/input-event-codes.h>

#include "platform/Messages.h"

namespace zintra::platform::wayland {
namespace {

std::uint32_t LinuxButtonCode(const MouseButton& button) {
    return button.x11Number == kRightButton.x11Number ? BTN_RIGHT : BTN_LEFT;
}

}  // namespace

WaylandInput::WaylandInput(MouseInput& x11, VirtualPointer& pointer, std::function<bool()> overX11Window)
    : x11_(x11), pointer_(pointer), overX11Window_(std::move(overX11Window)) {}

std::string WaylandInput::InputProblem() {
    if (pointer_.Connected()) return {};
    return "桌面合成器断开了与本程序的连接，点击无法送达。请重新启动本程序。";
}

std::uint32_t WaylandInput::SendMouseEvents(const MouseEvent* events, std::uint32_t count) {
    if (!pointer_.Connected()) return 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const MouseEvent& e = events[i];
        if ((e.flags & msg::kMouseEventMove) != 0 && (e.flags & msg::kMouseEventAbsolute) != 0) MoveTo(e);
        // Asked at each event: a motion may have brought another window under the pointer.
        const bool toX11 = overX11Window_();
        if (toX11 && (e.flags & msg::kMouseEventMove) != 0) {
            // Xwayland's own pointer, where an X11 window's click lands; XTest
            // motion never moves the compositor's, so it is sent only here.
            MouseEvent motion = e;
            motion.flags &= msg::kMouseEventMove | msg::kMouseEventAbsolute | msg::kMouseEventVirtualDesk;
            x11_.SendMouseEvents(&motion, 1);
        }
        Buttons(e, toX11);
    }
    pointer_.Flush();
    return pointer_.Connected() ? count : 0;
}

void WaylandInput::MoveTo(const MouseEvent& event) {
    const Size screen = x11_.PrimaryScreenSize();
    const auto denormalise = [](std::int32_t value, std::int32_t extent) {
        return static_cast<std::int32_t>((static_cast<std::int64_t>(value) * extent + 65535) / 65536);
    };
    pointer_.MoveTo(denormalise(event.dx, screen.width), denormalise(event.dy, screen.height));
    // Xwayland learns whether an X11 window is now under the pointer from the
    // compositor; wait until the compositor has handled the motion.
    pointer_.Sync();
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
