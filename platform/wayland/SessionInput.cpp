#include "platform/wayland/SessionInput.h"

#include "platform/wayland/UnreachableInput.h"
#include "platform/wayland/WaylandInput.h"

namespace zintra::platform::wayland {

SessionInput::SessionInput(linux_x11::SessionKind kind, MouseInput& x11, std::function<bool()> overX11Window)
    : input_(&x11) {
    if (kind == linux_x11::SessionKind::X11) return;
    pointer_ = VirtualPointer::Connect();
    if (pointer_ != nullptr) {
        owned_ = std::make_unique<WaylandInput>(x11, *pointer_, std::move(overX11Window));
    }
    // The desktop portal's remote desktop goes here, before the last resort:
    // if (owned_ == nullptr) owned_ = <the portal's MouseInput, when the session bus offers it>;
    if (owned_ == nullptr) owned_ = std::make_unique<UnreachableInput>(x11);
    input_ = owned_.get();
}

SessionInput::~SessionInput() = default;

}  // namespace zintra::platform::wayland
