// What the hotkey-capture control does with the keys it receives: it turns
// presses and releases into one combination of a named key and the modifiers
// Ctrl, Shift and Alt, and labels it the way the program shows hotkeys.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Keyboard.h"

namespace zintra::ui {

class HotKeyCapture {
public:
    explicit HotKeyCapture(platform::Keyboard& keyboard) : keyboard_(keyboard) {}

    // A key press (WM_KEYDOWN, or WM_SYSKEYDOWN with systemKey). Returns whether
    // the combination changed.
    bool OnKeyDown(std::uint32_t virtualKey, bool systemKey);
    // A key release (WM_KEYUP or WM_SYSKEYUP). Returns whether the combination changed.
    bool OnKeyUp(std::uint32_t virtualKey);
    void Reset();

    std::uint16_t Key() const { return key_; }
    std::uint16_t Modifiers() const { return modifiers_; }
    bool Entering() const { return entering_; }
    std::u16string Label() const { return Label(key_, modifiers_, keyboard_); }

    // "Ctrl+", "Shift+", "Alt+" in that order, then the key's name; "无" for nothing.
    static std::u16string Label(std::uint16_t key, std::uint16_t modifiers, platform::Keyboard& keyboard);
    // The key's name, or empty when the key cannot be a hotkey's key.
    static std::u16string KeyName(std::uint32_t virtualKey, platform::Keyboard& keyboard);
    static bool IsModifierKey(std::uint32_t virtualKey);

private:
    std::uint16_t LiveModifiers() const;

    platform::Keyboard& keyboard_;
    std::uint16_t key_ = 0;
    std::uint16_t modifiers_ = 0;
    bool entering_ = false;
};

}  // namespace zintra::ui
