#include "ui/controls/SHotKeyCtrl.h"

#include "platform/Platform.h"
#include "ui/controls/HotKeyCapture.h"
#include "ui/render/Surface.h"

namespace zintra::ui {

SHotKeyCtrl::SHotKeyCtrl() : capture_(std::make_unique<HotKeyCapture>(platform::Current().GetKeyboard())) {
    SetFocusable(true);
    SetTextMode(text_mode::kSingleLine | text_mode::kCenter | text_mode::kVCenter);
    text_ = capture_->Label();
}

SHotKeyCtrl::~SHotKeyCtrl() = default;

void SHotKeyCtrl::GetHotKey(std::uint16_t& virtualKey, std::uint16_t& modifiers) const {
    virtualKey = virtualKey_;
    modifiers = modifiers_;
}

void SHotKeyCtrl::SetHotKey(std::uint16_t virtualKey, std::uint16_t modifiers) {
    capture_->Reset();
    Changed(virtualKey, modifiers);
}

void SHotKeyCtrl::Changed(std::uint16_t virtualKey, std::uint16_t modifiers) {
    virtualKey_ = virtualKey;
    modifiers_ = modifiers;
    SetWindowText(HotKeyCapture::Label(virtualKey, modifiers, platform::Current().GetKeyboard()));
    EventSetHotKey event(virtualKey, modifiers);
    FireEvent(event);
}

bool SHotKeyCtrl::OnKeyDown(std::uint32_t virtualKey, std::uint32_t) {
    if (capture_->OnKeyDown(virtualKey, false)) Changed(capture_->Key(), capture_->Modifiers());
    return true;
}

bool SHotKeyCtrl::OnSysKeyDown(std::uint32_t virtualKey, std::uint32_t) {
    if (capture_->OnKeyDown(virtualKey, true)) Changed(capture_->Key(), capture_->Modifiers());
    return true;
}

bool SHotKeyCtrl::OnKeyUp(std::uint32_t virtualKey, std::uint32_t) {
    if (capture_->OnKeyUp(virtualKey)) Changed(capture_->Key(), capture_->Modifiers());
    return true;
}

bool SHotKeyCtrl::OnSysKeyUp(std::uint32_t virtualKey, std::uint32_t flags) { return OnKeyUp(virtualKey, flags); }

// Characters of the captured keys are not text.
bool SHotKeyCtrl::OnChar(char16_t) { return true; }

std::optional<AccessibleRole> SHotKeyCtrl::GetAccessibleRole() const { return AccessibleRole::HotKeyField; }

std::optional<std::u16string> SHotKeyCtrl::GetAccessibleValue() const { return GetWindowText(); }

}  // namespace zintra::ui
