#include "sim/headless/HeadlessDriver.h"

#include "platform/Messages.h"
#include "ui/core/Backend.h"
#include "ui/controls/SComboBox.h"
#include "ui/core/SHostWnd.h"
#include "ui/controls/STabCtrl.h"
#include "sim/headless/HeadlessBackend.h"

namespace zintra::ui {

std::intptr_t HeadlessDriver::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (host_.GetHwnd() == 0) return 0;
    return CurrentBackend().SendMessage(host_.GetHwnd(), message, wParam, lParam);
}

SWindow* HeadlessDriver::Find(std::string_view name) const { return host_.FindChildByName(name); }

bool HeadlessDriver::Click(std::string_view name) {
    SWindow* control = Find(name);
    if (control == nullptr || !control->IsVisible(true)) return false;
    const platform::Rect rect = control->GetWindowRect();
    ClickAt({rect.left + rect.Width() / 2, rect.top + rect.Height() / 2});
    return true;
}

void HeadlessDriver::ClickAt(platform::Point point) {
    MouseMove(point);
    LeftButtonDown(point);
    LeftButtonUp(point);
}

void HeadlessDriver::MouseMove(platform::Point point) { Send(msg::kMouseMove, 0, msg::MakePointParam(point.x, point.y)); }

void HeadlessDriver::LeftButtonDown(platform::Point point) {
    Send(msg::kLButtonDown, msg::kMkLButton, msg::MakePointParam(point.x, point.y));
}

void HeadlessDriver::LeftButtonUp(platform::Point point) { Send(msg::kLButtonUp, 0, msg::MakePointParam(point.x, point.y)); }

namespace {
constexpr std::uint32_t kVkF10 = 0x79;
}  // namespace

void HeadlessDriver::KeyDown(std::uint32_t virtualKey) {
    auto& keyboard = backend_.Desktop().KeyboardState();
    keyboard.SetKeyDown(virtualKey, true);
    const bool system = keyboard.IsKeyDown(msg::kVkMenu) || virtualKey == kVkF10;
    Send(system ? msg::kSysKeyDown : msg::kKeyDown, virtualKey, 1);
}

void HeadlessDriver::KeyUp(std::uint32_t virtualKey) {
    auto& keyboard = backend_.Desktop().KeyboardState();
    const bool system = keyboard.IsKeyDown(msg::kVkMenu) || virtualKey == kVkF10;
    keyboard.SetKeyDown(virtualKey, false);
    Send(system ? msg::kSysKeyUp : msg::kKeyUp, virtualKey, static_cast<std::intptr_t>(0xC0000001u));
}

void HeadlessDriver::PressKey(std::uint32_t virtualKey) {
    KeyDown(virtualKey);
    KeyUp(virtualKey);
}

void HeadlessDriver::TypeText(std::u16string_view text) {
    for (char16_t c : text) {
        // Letters and digits have their own key codes; others go as a packet.
        std::uint32_t key = 0xE7;  // VK_PACKET
        if (c >= u'0' && c <= u'9') key = c;
        if (c >= u'a' && c <= u'z') key = c - u'a' + u'A';
        if (c >= u'A' && c <= u'Z') key = c;
        Send(msg::kKeyDown, key, 1);
        Send(msg::kChar, c, 1);
        Send(msg::kKeyUp, key, static_cast<std::intptr_t>(0xC0000001u));
    }
}

bool HeadlessDriver::SelectListEntry(std::string_view name, int index) {
    backend_.SetNextDropDownChoice(index);
    const bool clicked = Click(name);
    backend_.SetNextDropDownChoice(-1);
    return clicked;
}

std::optional<ControlState> HeadlessDriver::State(std::string_view name) const {
    const SWindow* control = Find(name);
    if (control == nullptr) return std::nullopt;
    ControlState state;
    state.tag = control->GetObjectClass();
    state.text = control->GetWindowText();
    state.visible = control->IsVisible(true);
    state.enabled = !control->IsDisabled(true);
    state.checked = control->IsChecked();
    state.focused = control->IsFocused();
    if (const auto* combo = dynamic_cast<const SComboBox*>(control)) state.selection = combo->GetCurSel();
    if (const auto* tabs = dynamic_cast<const STabCtrl*>(control)) state.selection = tabs->GetCurSel();
    state.styleClass = control->GetAttribute("class").value_or("");
    state.rect = control->GetWindowRect();
    return state;
}

}  // namespace zintra::ui
