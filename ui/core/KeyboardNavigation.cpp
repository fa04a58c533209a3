#include "ui/core/KeyboardNavigation.h"

#include <algorithm>
#include <string_view>

#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/core/Accessible.h"
#include "ui/core/SHostDialog.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/SWindow.h"
#include "ui/render/Surface.h"

namespace zintra::ui {

namespace {

constexpr std::uint32_t kVkSpace = 0x20;

// Enter does not tick boxes: it presses the default button instead.
bool IsTickable(const SWindow& control) {
    const auto role = control.GetAccessibleRole();
    return role == AccessibleRole::CheckBox || role == AccessibleRole::RadioButton;
}
constexpr std::uint32_t kVkF4 = 0x73;

// What Space presses: buttons, links and boxes to tick.
bool IsPressable(const SWindow& control) {
    const auto role = control.GetAccessibleRole();
    return role == AccessibleRole::PushButton || role == AccessibleRole::Link || IsTickable(control);
}

// Of a radio group only the checked radio is a tab stop (the first one when
// none is checked); arrows move within the group.
bool IsGroupTabStop(const SWindow& radio) {
    const auto group = radio.GetRadioGroup();
    const SWindow* first = nullptr;
    for (const auto& sibling : radio.GetParent()->GetChildren()) {
        if (sibling->GetRadioGroup() != group) continue;
        if (!IsKeyboardOperable(*sibling)) continue;
        if (sibling->IsChecked()) return sibling.get() == &radio;
        if (first == nullptr) first = sibling.get();
    }
    return first == &radio;
}

void CollectOperable(SWindow& window, std::vector<SWindow*>& out) {
    for (const auto& child : window.GetChildren()) {
        if (!child->IsVisible(false)) continue;
        const bool stop = IsKeyboardOperable(*child) && (!child->GetRadioGroup() || IsGroupTabStop(*child));
        if (stop) out.push_back(child.get());
        CollectOperable(*child, out);
    }
}

// What a click at the control's centre does.
void Press(SWindow& control) {
    const platform::Rect rect = control.GetWindowRect();
    const platform::Point centre{rect.left + rect.Width() / 2, rect.top + rect.Height() / 2};
    control.OnLButtonDown(centre);
    control.OnLButtonUp(centre);
}

SWindow* FirstTabControl(SWindow& window) {
    if (!window.IsVisible(false)) return nullptr;
    if (window.GetAccessibleRole() == AccessibleRole::PageTabList) return &window;
    for (const auto& child : window.GetChildren()) {
        if (SWindow* tabs = FirstTabControl(*child)) return tabs;
    }
    return nullptr;
}

SWindow* DefaultButton(SWindow& window) {
    for (const auto& child : window.GetChildren()) {
        if (!child->IsVisible(false)) continue;
        if (child->GetAttribute("default").value_or("0") == "1" && !child->IsDisabled(true)) return child.get();
        if (SWindow* found = DefaultButton(*child)) return found;
    }
    return nullptr;
}

// The radio `step` places on in the focused radio's group, wrapping around.
SWindow* RadioInGroup(SWindow& radio, int step) {
    if (radio.GetParent() == nullptr) return nullptr;
    const auto group = radio.GetRadioGroup();
    std::vector<SWindow*> members;
    for (const auto& sibling : radio.GetParent()->GetChildren()) {
        if (sibling->GetRadioGroup() == group &&
            (sibling.get() == &radio || IsKeyboardOperable(*sibling))) {
            members.push_back(sibling.get());
        }
    }
    const auto it = std::find(members.begin(), members.end(), &radio);
    if (it == members.end() || members.size() < 2) return nullptr;
    const auto count = static_cast<std::ptrdiff_t>(members.size());
    const auto index = (((it - members.begin()) + step) % count + count) % count;
    return members[static_cast<std::size_t>(index)];
}

bool IsCtrlDown() { return platform::Current().GetKeyboard().IsKeyDown(msg::kVkControl); }

}  // namespace

bool IsKeyboardOperable(const SWindow& control) {
    if (!control.IsVisible(true) || control.IsDisabled(true)) return false;
    if (control.GetAttribute("focusable") == std::optional<std::string>("0")) return false;
    return control.IsFocusable() || IsPressable(control);
}

std::vector<SWindow*> ControlsInReadingOrder(SHostWnd& host) {
    std::vector<SWindow*> controls;
    if (host.GetRoot() == nullptr) return controls;
    host.EnsureLayout();
    CollectOperable(*host.GetRoot(), controls);
    // Rows: sorted by top, a control starts a new row unless its middle lies
    // above the bottom of the row so far.
    std::vector<SWindow*> byTop = controls;
    std::stable_sort(byTop.begin(), byTop.end(), [](const SWindow* a, const SWindow* b) {
        return a->GetWindowRect().top < b->GetWindowRect().top;
    });
    std::vector<std::pair<int, SWindow*>> rows;
    int row = -1;
    int rowBottom = 0;
    for (SWindow* control : byTop) {
        const platform::Rect rect = control->GetWindowRect();
        const int middle = rect.top + rect.Height() / 2;
        if (row < 0 || middle >= rowBottom) {
            ++row;
            rowBottom = rect.bottom;
        } else {
            rowBottom = std::max(rowBottom, rect.bottom);
        }
        rows.emplace_back(row, control);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return a.second->GetWindowRect().left < b.second->GetWindowRect().left;
    });
    std::vector<SWindow*> ordered;
    for (const auto& entry : rows) ordered.push_back(entry.second);
    return ordered;
}

SWindow* NextInReadingOrder(SHostWnd& host, const SWindow* from, bool forward) {
    const std::vector<SWindow*> order = ControlsInReadingOrder(host);
    if (order.empty()) return nullptr;
    const auto it = std::find(order.begin(), order.end(), from);
    if (it == order.end()) return forward ? order.front() : order.back();
    const auto count = static_cast<std::ptrdiff_t>(order.size());
    const auto index = ((it - order.begin()) + (forward ? 1 : -1) + count) % count;
    return order[static_cast<std::size_t>(index)];
}

void MoveFocusInReadingOrder(SHostWnd& host, bool forward) {
    host.SetShowsFocusCues(true);
    if (IsCtrlDown() && host.GetRoot() != nullptr) {
        if (SWindow* tabs = FirstTabControl(*host.GetRoot()); tabs != nullptr && tabs->GetAccessibleItemCount() > 0) {
            const int count = tabs->GetAccessibleItemCount();
            tabs->SelectAccessibleItem(((tabs->GetAccessibleSelection() + (forward ? 1 : -1)) % count + count) % count);
            return;
        }
    }
    if (SWindow* next = NextInReadingOrder(host, host.GetFocus(), forward)) host.SetFocus(next);
}

bool HandleNavigationKey(SHostWnd& host, std::uint32_t message, std::uint32_t virtualKey) {
    if (message != msg::kKeyDown && message != msg::kSysKeyDown) return false;
    const bool alt = message == msg::kSysKeyDown;
    SWindow* focus = host.GetFocus();
    const bool usable = focus != nullptr && focus->IsVisible(true) && !focus->IsDisabled(true);
    SWindow* combo = usable && focus->GetAccessibleRole() == AccessibleRole::ComboBox ? focus : nullptr;

    if (combo != nullptr && ((alt && virtualKey == msg::kVkDown) || (!alt && virtualKey == kVkF4))) {
        host.SetShowsFocusCues(true);
        combo->OpenDropDown();
        return true;
    }
    if (alt) return false;
    switch (virtualKey) {
        case kVkSpace:
            if (!usable || !IsPressable(*focus)) return false;
            host.SetShowsFocusCues(true);
            Press(*focus);
            return true;
        case msg::kVkReturn: {
            host.SetShowsFocusCues(true);
            if (usable && IsPressable(*focus) && !IsTickable(*focus)) {
                Press(*focus);
                return true;
            }
            SWindow* button = host.GetRoot() != nullptr ? DefaultButton(*host.GetRoot()) : nullptr;
            if (button == nullptr) return false;
            Press(*button);
            return true;
        }
        case msg::kVkEscape:
            if (dynamic_cast<SHostDialog*>(&host) == nullptr) return false;
            host.SendMessage(msg::kClose);
            return true;
        case msg::kVkUp:
        case msg::kVkDown:
        case msg::kVkLeft:
        case msg::kVkRight: {
            const int step = virtualKey == msg::kVkUp || virtualKey == msg::kVkLeft ? -1 : 1;
            if (usable && focus->GetRadioGroup()) {
                host.SetShowsFocusCues(true);
                if (SWindow* next = RadioInGroup(*focus, step)) Press(*next);
                return true;
            }
            if (combo != nullptr && (virtualKey == msg::kVkUp || virtualKey == msg::kVkDown)) {
                host.SetShowsFocusCues(true);
                const int next = combo->GetAccessibleSelection() + step;
                if (next >= 0 && next < combo->GetAccessibleItemCount()) combo->SelectAccessibleItem(next);
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

void PaintFocusIndicator(const SHostWnd& host, Surface& surface) {
    const SWindow* focus = host.GetFocus();
    // A sliding page would leave the ring behind; it returns with the last step.
    if (!host.ShowsFocusCues() || focus == nullptr || !focus->IsVisible(true) || host.IsAnimating()) return;
    const platform::Rect rect = focus->GetWindowRect();
    surface.FrameRect({rect.left - 2, rect.top - 2, rect.right + 2, rect.bottom + 2}, Color{0x10, 0x10, 0x10, 255}, 1);
    surface.FrameRect({rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1}, Color{0xFF, 0xFF, 0xFF, 255}, 1);
}

// ---- The host's part ----

void SHostWnd::SetShowsFocusCues(bool shown) {
    if (focusCues_ == shown) return;
    focusCues_ = shown;
    if (focus_ != nullptr) focus_->Invalidate();
}

}  // namespace zintra::ui
