// The program stores keys as Windows virtual-key codes and modifier bits; on
// X11 the same settings must mean the same keys. These map virtual keys to
// keysyms and back, and modifier bits to X modifier masks and back.
#pragma once

#include <cstdint>
#include <string>

namespace zintra::platform::x11 {

// The keysym of a virtual key (the unshifted one: XK_a for 'A'), 0 for none.
unsigned long VirtualKeyToKeysym(std::uint32_t virtualKey);
// The virtual key of a keysym, whatever its case or shift level; 0 for none.
std::uint32_t KeysymToVirtualKey(unsigned long keysym);

// RegisterHotKey's MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN as X masks
// (Mod1 = Alt, Mod4 = Super) and back. Lock masks never count as modifiers.
unsigned int ModifiersToMask(std::uint32_t modifiers);
std::uint32_t MaskToModifiers(unsigned int mask);

// A hotkey in the desktop shortcut portal's form: modifiers, then the key's
// keysym name, joined by '+' ("CTRL+SHIFT+F8"); empty for a key without one.
std::string PortalTrigger(std::uint32_t modifiers, std::uint32_t virtualKey);

}  // namespace zintra::platform::x11
