#include "ui/core/CSimpleWnd.h"

#include "platform/Messages.h"
#include "ui/core/Backend.h"

namespace zintra::ui {

CSimpleWnd::~CSimpleWnd() {
    if (hwnd_ != 0 && windows_ != nullptr) windows_->DestroyWindow(hwnd_);
}

platform::NativeWindow CSimpleWnd::Create() {
    if (hwnd_ != 0) return hwnd_;
    // Kept: the window may get its last messages after the toolkit has ended.
    windows_ = &CurrentBackend();
    hwnd_ = windows_->CreateMessageWindow(*this);
    return hwnd_;
}

void CSimpleWnd::DestroyWindow() {
    if (hwnd_ != 0 && windows_ != nullptr) windows_->DestroyWindow(hwnd_);
}

std::optional<std::intptr_t> CSimpleWnd::HandleMessage(platform::NativeWindow window, std::uint32_t message,
                                                       std::uintptr_t wParam, std::intptr_t lParam) {
    if (hwnd_ == 0) hwnd_ = window;
    auto result = WindowProc(message, wParam, lParam);
    if (message == msg::kDestroy) {
        hwnd_ = 0;
        OnFinalMessage();
    }
    return result;
}

}  // namespace zintra::ui
