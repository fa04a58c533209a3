// SHostWnd: mouse and keyboard routing, focus and capture.
#include <functional>

#include "platform/Messages.h"
#include "ui/core/Accessible.h"
#include "platform/Platform.h"
#include "ui/core/Backend.h"
#include "ui/core/KeyboardNavigation.h"
#include "ui/core/SHostWnd.h"

namespace zintra::ui {

namespace {

bool Accepts(const SWindow* control) { return control != nullptr && !control->IsDisabled(true) && control->IsVisible(true); }

}  // namespace

void SHostWnd::SetFocus(SWindow* control) {
    if (control == focus_) return;
    SWindow* old = focus_;
    focus_ = control;
    if (old != nullptr) old->OnKillFocus();
    if (control != nullptr && focus_ == control) control->OnSetFocus();
    if (control != nullptr && focus_ == control) NotifyAccessible(*control, AccessibleEvent::Focus);
}

void SHostWnd::SetCapture(SWindow* control) {
    capture_ = control;
    if (Backend* backend = GetBackend(); backend != nullptr && hwnd_ != 0) backend->SetCapture(hwnd_);
}

void SHostWnd::ReleaseCapture() {
    if (capture_ == nullptr) return;
    capture_ = nullptr;
    if (Backend* backend = GetBackend()) backend->ReleaseCapture();
}

void SHostWnd::UpdateHover(SWindow* control) {
    if (control == hover_) return;
    SWindow* old = hover_;
    hover_ = control;
    if (old != nullptr) old->OnMouseLeave();
    if (control != nullptr) control->OnMouseEnter();
}

void SHostWnd::RouteMouse(std::uint32_t message, std::intptr_t lParam, std::uintptr_t wParam) {
    if (!root_) return;
    EnsureLayout();
    const platform::Point point{msg::PointParamX(lParam), msg::PointParamY(lParam)};
    SWindow* hit = root_->HitTest(point);
    switch (message) {
        case msg::kMouseMove:
            UpdateHover(capture_ != nullptr && capture_ != hit ? nullptr : hit);
            // No tips while a control holds the mouse (a press, a drag).
            toolTips_.OnMouseMove(capture_ == nullptr ? hit : nullptr, point);
            if (SWindow* target = capture_ != nullptr ? capture_ : hit; Accepts(target)) target->OnMouseMove(point);
            break;
        case msg::kLButtonDown:
        case msg::kLButtonDblClk:
            // A press on a disabled control is swallowed.
            if (SWindow* target = capture_ != nullptr ? capture_ : hit; Accepts(target)) target->OnLButtonDown(point);
            break;
        case msg::kLButtonUp:
            if (SWindow* target = capture_ != nullptr ? capture_ : hit; Accepts(target)) {
                target->OnLButtonUp(point);
            } else {
                ReleaseCapture();
            }
            break;
        case msg::kMouseWheel: {
            const int delta = static_cast<std::int16_t>((wParam >> 16) & 0xFFFF);
            if (SWindow* target = hover_ != nullptr ? hover_ : hit; Accepts(target)) target->OnMouseWheel(delta);
            break;
        }
        default:
            break;
    }
}

void SHostWnd::MoveFocus(bool backwards) { MoveFocusInReadingOrder(*this, !backwards); }

std::optional<std::intptr_t> SHostWnd::RouteKey(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    const auto key = static_cast<std::uint32_t>(wParam);
    const auto flags = static_cast<std::uint32_t>(lParam);
    // Tab always moves the focus (Shift+Tab backwards); every other key
    // belongs to the focused control.
    if (message == msg::kKeyDown && key == msg::kVkTab) {
        MoveFocus(platform::Current().GetKeyboard().IsKeyDown(msg::kVkShift));
        return 0;
    }
    if (message == msg::kChar && key == u'\t') return 0;
    SWindow* target = focus_;
    if (!Accepts(target)) return HandleNavigationKey(*this, message, key) ? std::optional<std::intptr_t>(0) : std::nullopt;
    bool used = false;
    switch (message) {
        case msg::kKeyDown: used = target->OnKeyDown(key, flags); break;
        case msg::kKeyUp: used = target->OnKeyUp(key, flags); break;
        case msg::kChar: used = target->OnChar(static_cast<char16_t>(key)); break;
        case msg::kSysKeyDown: used = target->OnSysKeyDown(key, flags); break;
        case msg::kSysKeyUp: used = target->OnSysKeyUp(key, flags); break;
        default: break;
    }
    if (!used) used = HandleNavigationKey(*this, message, key);
    return used ? std::optional<std::intptr_t>(0) : std::nullopt;
}

}  // namespace zintra::ui
