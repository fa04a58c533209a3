#include "platform/wayland/SessionInput.h"

#include "platform/wayland/UnreachableInput.h"
#include "platform/wayland/WaylandInput.h"

namespace zintra::platform::wayland {

SessionInput::SessionInput(linux_x11::SessionKind kind, MouseInput& x11, WaylandInput::X11WindowAt x11WindowAt)
    : input_(&x11) {
    if (kind == linux_x11::SessionKind::X11) return;
    pointer_ = VirtualPointer::Connect();
    if (pointer_ != nullptr) {
        owned_ = std::make_unique<WaylandInput>(x11, *pointer_, std::move(x11WindowAt));
    }
    // Without a virtual pointer the program's entry puts the desktop's
    // remote-desktop portal in this input's place (it needs the platform's
    // session bus); this one then only says that nothing gets through.
    if (owned_ == nullptr) owned_ = std::make_unique<UnreachableInput>(x11);
    input_ = owned_.get();
}

SessionInput::~SessionInput() = default;

}  // namespace zintra::platform::wayland
