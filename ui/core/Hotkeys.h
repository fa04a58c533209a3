// System-wide hotkeys, delivered as WM_HOTKEY to the window they belong to.
// Part of the backend: the hotkey arrives through the window's event loop.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace zintra::ui {

// What a desktop that binds global keys itself (a Wayland session's shortcut
// portal) made of a window's hotkey. Its answer comes after the registration:
// while it is Asking, msg::kDesktopShortcutSettled follows (wParam the
// hotkey's id) once the desktop has answered.
struct DesktopShortcut {
    enum class State {
        Direct,    // the desktop binds no keys for programs: the registration is all there is
        Asking,    // the desktop has not answered yet
        Bound,     // the desktop's keys reach the program whichever window has the focus
        NotBound,  // the desktop offers no binding here, or refused it
    };
    State state = State::Direct;
    // The desktop's own words for the keys it bound, when they are other keys
    // than the hotkey's (empty when it kept the hotkey's keys).
    std::u16string otherKeys;
};

class Hotkeys {
public:
    virtual ~Hotkeys() = default;
    virtual bool RegisterHotKey(platform::NativeWindow window, int id, std::uint32_t modifiers,
                                std::uint32_t virtualKey) = 0;
    virtual bool UnregisterHotKey(platform::NativeWindow window, int id) = 0;
    // Windows and X11 deliver every hotkey themselves: no desktop binding.
    virtual DesktopShortcut DesktopShortcutOf(platform::NativeWindow window, int id) {
        static_cast<void>(window);
        static_cast<void>(id);
        return {};
    }
};

}  // namespace zintra::ui
