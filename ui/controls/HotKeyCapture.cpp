#include "ui/controls/HotKeyCapture.h"

#include <string>

#include "platform/Messages.h"

namespace zintra::ui {

namespace {

constexpr std::uint32_t kVkShift = 0x10;
constexpr std::uint32_t kVkControl = 0x11;
constexpr std::uint32_t kVkMenu = 0x12;

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

bool HotKeyCapture::IsModifierKey(std::uint32_t virtualKey) {
    return virtualKey == kVkShift || virtualKey == kVkControl || virtualKey == kVkMenu ||
           (virtualKey >= 0xA0 && virtualKey <= 0xA5);  // the left and right variants
}

std::uint16_t HotKeyCapture::LiveModifiers() const {
    std::uint16_t modifiers = 0;
    if (keyboard_.IsKeyDown(kVkMenu)) modifiers |= msg::kModAlt;
    if (keyboard_.IsKeyDown(kVkControl)) modifiers |= msg::kModControl;
    if (keyboard_.IsKeyDown(kVkShift)) modifiers |= msg::kModShift;
    return modifiers;
}

bool HotKeyCapture::OnKeyDown(std::uint32_t virtualKey, bool systemKey) {
    // System keys without Alt (F10 on its own) are not combinations.
    if (systemKey && !keyboard_.IsKeyDown(kVkMenu)) return false;
    const std::uint16_t oldKey = key_;
    const std::uint16_t oldModifiers = modifiers_;
    if (!entering_) {
        entering_ = true;
        key_ = 0;
        modifiers_ = 0;
    }
    if (!KeyName(virtualKey, keyboard_).empty()) key_ = static_cast<std::uint16_t>(virtualKey);
    modifiers_ = LiveModifiers();
    return key_ != oldKey || modifiers_ != oldModifiers;
}

bool HotKeyCapture::OnKeyUp(std::uint32_t virtualKey) {
    if (!entering_) return false;
    const std::uint16_t oldModifiers = modifiers_;
    if (key_ != 0 && virtualKey == key_) {
        entering_ = false;  // the combination held now is the result
        return false;
    }
    if (IsModifierKey(virtualKey)) {
        modifiers_ = LiveModifiers();  // a modifier let go first drops out
        if (key_ == 0 && modifiers_ == 0) entering_ = false;
        return modifiers_ != oldModifiers;
    }
    if (key_ == 0 && LiveModifiers() == 0) {
        entering_ = false;
        modifiers_ = 0;
        return oldModifiers != 0;
    }
    return false;
}

void HotKeyCapture::Reset() {
    key_ = 0;
    modifiers_ = 0;
    entering_ = false;
}

std::u16string HotKeyCapture::KeyName(std::uint32_t vk, platform::Keyboard& keyboard) {
    switch (vk) {
        case 13: return u"Enter";
        case 27: return u"ESC";
        case 32: return u"Space";
        case 33: return u"PageUp";
        case 34: return u"PageDown";
        case 35: return u"End";
        case 36: return u"Home";
        case 37: return u"Left";
        case 38: return u"Up";
        case 39: return u"Right";
        case 40: return u"Down";
        case 42: return u"Print";
        case 45: return u"Insert";
        case 46: return u"Delete";
        case 106: return u"Num *";
        case 107: return u"Num +";
        case 110: return u"Num Del";
        default: break;
    }
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::u16string(1, static_cast<char16_t>(vk));
    if (vk >= 96 && vk <= 105) return Ascii("Num " + std::to_string(vk - 96));
    if (vk >= 112 && vk <= 123) return Ascii("F" + std::to_string(vk - 111));
    // Whatever the layout types with the key: ß, ö or + as well as the US
    // punctuation, so a key of any layout can be captured. Controls and the
    // space (named above) are no names.
    const std::uint32_t character = keyboard.VirtualKeyToChar(vk);
    const bool control = character <= 0x20 || (character >= 0x7F && character < 0xA0);
    const bool surrogate = character >= 0xD800 && character < 0xE000;
    if (control || surrogate || character > 0xFFFF) return {};
    return std::u16string(1, static_cast<char16_t>(character));
}

std::u16string HotKeyCapture::Label(std::uint16_t key, std::uint16_t modifiers, platform::Keyboard& keyboard) {
    if (key == 0 && modifiers == 0) return u"无";
    std::u16string label;
    if (modifiers & msg::kModControl) label += u"Ctrl+";
    if (modifiers & msg::kModShift) label += u"Shift+";
    if (modifiers & msg::kModAlt) label += u"Alt+";
    if (key != 0) label += KeyName(key, keyboard);
    return label;
}

}  // namespace zintra::ui
