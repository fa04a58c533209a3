// The system-wide hotkey that starts and stops clicking. Every registration is
// an unregister followed by a register, so a window never holds two.
#pragma once

#include <cstdint>

#include "clicker/ClickSettings.h"
#include "platform/Hotkeys.h"

namespace zintra {

inline constexpr int kStartStopHotkeyId = 1224;

void RegisterStartStopHotkey(platform::Hotkeys& hotkeys, platform::NativeWindow window,
                             const ClickSettings& settings, int id = kStartStopHotkeyId);
void UnregisterStartStopHotkey(platform::Hotkeys& hotkeys, platform::NativeWindow window,
                               int id = kStartStopHotkeyId);

}  // namespace zintra
