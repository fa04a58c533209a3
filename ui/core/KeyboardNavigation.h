// Working a window with the keyboard alone: which controls Tab visits and in
// what order, the keys that press, tick, choose and close when the focused
// control does not use them, and the focus indicator that shows where the
// keyboard is. The pointer paths are untouched: every key ends in what a
// click on the same control does.
#pragma once

#include <cstdint>
#include <vector>

namespace zintra::ui {

class SHostWnd;
class SWindow;
class Surface;

// Whether Tab stops at the control: focusable controls, buttons and links,
// when visible and enabled.
bool IsKeyboardOperable(const SWindow& control);

// The controls Tab visits, in reading order: rows from top to bottom (a
// control whose middle lies inside a row belongs to it), left to right
// within a row, document order for the rest.
std::vector<SWindow*> ControlsInReadingOrder(SHostWnd& host);
// The control after (or before) `from` in that order, wrapping around; the
// first (or last) when `from` is not in it. Null when there is none.
SWindow* NextInReadingOrder(SHostWnd& host, const SWindow* from, bool forward);

// Tab: moves the focus one control on in reading order, or with Ctrl held
// switches the page of the window's tab control. Shows the focus indicator.
void MoveFocusInReadingOrder(SHostWnd& host, bool forward);

// A key the focused control did not use (WM_KEYDOWN or WM_SYSKEYDOWN):
// Space and Enter press, arrows move within a radio group or a closed list,
// Alt+Down and F4 open a drop-down, Enter presses the window's default
// button, Esc closes a dialog. Returns whether the key was used.
bool HandleNavigationKey(SHostWnd& host, std::uint32_t message, std::uint32_t virtualKey);

// Draws the focus indicator over the focused control once the keyboard has
// been used in the window: a dark and a light ring of one layout unit each,
// so it shows on every background and stays whole pixels at every scale.
void PaintFocusIndicator(const SHostWnd& host, Surface& surface);

}  // namespace zintra::ui
