#include "ui/SHotKeyCtrl.h"

#include "ui/Surface.h"

namespace zintra::ui {

SHotKeyCtrl::SHotKeyCtrl() {
    SetFocusable(true);
    SetTextMode(text_mode::kSingleLine | text_mode::kCenter | text_mode::kVCenter);
    text_ = u"无";
}

void SHotKeyCtrl::GetHotKey(std::uint16_t& virtualKey, std::uint16_t& modifiers) const {
    virtualKey = virtualKey_;
    modifiers = modifiers_;
}

void SHotKeyCtrl::SetHotKey(std::uint16_t virtualKey, std::uint16_t modifiers, const std::u16string& label) {
    virtualKey_ = virtualKey;
    modifiers_ = modifiers;
    SetWindowText(label);
    EventSetHotKey event(virtualKey, modifiers);
    FireEvent(event);
}

}  // namespace zintra::ui
