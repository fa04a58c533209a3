// System-wide hotkeys, delivered as WM_HOTKEY to the window they belong to.
// Part of the backend: the hotkey arrives through the window's event loop.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace zintra::ui {

class Hotkeys {
public:
    virtual ~Hotkeys() = default;
    virtual bool RegisterHotKey(platform::NativeWindow window, int id, std::uint32_t modifiers,
                                std::uint32_t virtualKey) = 0;
    virtual bool UnregisterHotKey(platform::NativeWindow window, int id) = 0;
};

}  // namespace zintra::ui
