// The accessible tree of our host windows in the terms Windows' screen
// readers and automation clients read: WM_GETOBJECT answered with an MSAA
// IAccessible over the toolkit's AccessibleTree, and NotifyWinEvent for its
// changes. Without it a reader sees one window of pixels.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <optional>

namespace zintra::ui {

class SHostWnd;

namespace win32_accessible {

// Posted to a host window to do a node's default action after the client's
// call has returned (an action may open a modal list or dialog).
inline constexpr UINT kDefaultActionMessage = WM_APP + 0x3A2;

// WM_GETOBJECT of a host window: the client object, or nothing for the other
// object ids (the system answers those).
std::optional<LRESULT> AnswerGetObject(HWND hwnd, SHostWnd& host, WPARAM wParam, LPARAM lParam);
// kDefaultActionMessage: the node named by (control number, item + 1).
void RunDefaultAction(HWND hwnd, WPARAM wParam, LPARAM lParam);
// The window is going: objects handed out for it answer as disconnected.
void ForgetWindow(HWND hwnd);
// Starts raising win events for changes of every host (once).
void InstallEventObserver();

}  // namespace win32_accessible
}  // namespace zintra::ui
