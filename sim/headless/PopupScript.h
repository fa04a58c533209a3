// Drives the toolkit's open pop-ups the way a user would, for tests: the
// pointer goes to where the portable hit test finds an item, and the press
// and release happen there, so a scripted choice runs the real input code.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace zintra::ui {

class DropDownPopup;
class PopupInput;
class PopupMenu;

namespace popup_script {

void Move(PopupInput& input, platform::Point screen);
// A left press and release at a screen point, the pointer moved there first.
void Click(PopupInput& input, platform::Point screen);
void Key(PopupInput& input, std::uint32_t virtualKey);
// One notch of the wheel per `notches`, away from the user when positive.
void Wheel(PopupInput& input, int notches, platform::Point screen);

// Opens the sub-menus on the way to the item with `id` by hovering over their
// items and clicks it; false when no open level shows it.
bool ChooseMenuItem(PopupMenu& menu, int id);
// A screen point on the open level `level`'s item `index`, if it shows.
bool FindMenuItem(const PopupMenu& menu, int level, int index, platform::Point& at);
// Scrolls the list by the wheel until the entry shows and clicks it; false
// when it never shows.
bool ChooseDropDownEntry(DropDownPopup& list, int index);
// A screen point on the entry, if it shows now.
bool FindDropDownEntry(const DropDownPopup& list, int index, platform::Point& at);

}  // namespace popup_script

}  // namespace zintra::ui
