// System-wide hotkeys, delivered as WM_HOTKEY to the window they belong to.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace zintra::platform {

class Hotkeys {
public:
    virtual ~Hotkeys() = default;
    virtual bool RegisterHotKey(NativeWindow window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) = 0;
    virtual bool UnregisterHotKey(NativeWindow window, int id) = 0;
};

}  // namespace zintra::platform
