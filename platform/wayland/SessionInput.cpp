#include "platform/wayland/SessionInput.h"

#include "platform/wayland/WaylandInput.h"

namespace zintra::platform::wayland {

SessionInput::SessionInput(linux_x11::SessionKind kind, MouseInput& x11, WaylandInput::X11WindowAt x11WindowAt)
    : input_(&x11) {
    if (kind == linux_x11::SessionKind::X11) return;
    // Without a virtual pointer the program's entry puts the desktop's
    // remote-desktop portal in this input's place (it needs the platform's
    // session bus), which also says when there is no way in at all.
    pointer_ = VirtualPointer::Connect();
    if (pointer_ == nullptr) return;
    owned_ = std::make_unique<WaylandInput>(x11, *pointer_, std::move(x11WindowAt));
    input_ = owned_.get();
}

SessionInput::~SessionInput() = default;

}  // namespace zintra::platform::wayland
