// The system-wide hotkey that starts and stops clicking. Every registration is
// an unregister followed by a register, so a window never holds two.
#pragma once

#include <cstdint>

#include "clicker/ClickSettings.h"
#include "base/WindowIds.h"
#include "ui/core/Hotkeys.h"

namespace zintra {


void RegisterStartStopHotkey(ui::Hotkeys& hotkeys, platform::NativeWindow window,
                             const ClickSettings& settings, int id = kStartStopHotkeyId);
void UnregisterStartStopHotkey(ui::Hotkeys& hotkeys, platform::NativeWindow window,
                               int id = kStartStopHotkeyId);

}  // namespace zintra
