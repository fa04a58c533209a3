#include "ui/CSimpleWnd.h"

#include "platform/Messages.h"
#include "platform/Platform.h"

namespace zintra::ui {

CSimpleWnd::~CSimpleWnd() {
    if (hwnd_ != 0) platform::Current().GetWindowSystem().DestroyWindow(hwnd_);
}

platform::NativeWindow CSimpleWnd::Create() {
    if (hwnd_ == 0) hwnd_ = platform::Current().GetWindowSystem().CreateMessageWindow(*this);
    return hwnd_;
}

void CSimpleWnd::DestroyWindow() {
    if (hwnd_ != 0) platform::Current().GetWindowSystem().DestroyWindow(hwnd_);
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
