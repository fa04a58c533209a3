#include "hotkey/StartStopHotkey.h"

namespace zintra {

void RegisterStartStopHotkey(ui::Hotkeys& hotkeys, platform::NativeWindow window,
                             const ClickSettings& settings, int id) {
    hotkeys.UnregisterHotKey(window, id);
    hotkeys.RegisterHotKey(window, id, settings.hotkeyModifiers, settings.hotkeyVk);
}

void UnregisterStartStopHotkey(ui::Hotkeys& hotkeys, platform::NativeWindow window, int id) {
    hotkeys.UnregisterHotKey(window, id);
}

}  // namespace zintra
