// The hotkey and timer identifiers the windows share, in one place: the main
// window and the settings window register the same start/stop hotkey, and
// each window's timers are told apart by these numbers.
#pragma once

#include <cstdint>

namespace zintra {

inline constexpr int kStartStopHotkeyId = 1224;
// Ctrl+Q while the settings window picks a position.
inline constexpr int kCaptureHotkeyId = 1225;

// The main window's click timer.
inline constexpr std::uintptr_t kClickTimerId = 1524;
// How long the start notices wait for the desktop's answer about the shortcut.
inline constexpr std::uintptr_t kStartNoticesTimerId = 1526;
// The settings window's cursor sampling: the same number on another window.
inline constexpr std::uintptr_t kTrackCursorTimerId = 1524;
inline constexpr std::uintptr_t kCountTestTimerId = 1525;

}  // namespace zintra
