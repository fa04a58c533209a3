#include "clicker/StartStopHotkey.h"

namespace zintra {

void RegisterStartStopHotkey(platform::Hotkeys& hotkeys, platform::NativeWindow window,
                             const ClickSettings& settings, int id) {
    hotkeys.UnregisterHotKey(window, id);
    hotkeys.RegisterHotKey(window, id, settings.hotkeyModifiers, settings.hotkeyVk);
}

void UnregisterStartStopHotkey(platform::Hotkeys& hotkeys, platform::NativeWindow window, int id) {
    hotkeys.UnregisterHotKey(window, id);
}

}  // namespace zintra
