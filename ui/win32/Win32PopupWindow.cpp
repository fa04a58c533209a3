#include "ui/win32/Win32PopupWindow.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/Messages.h"
#include "ui/render/SoftwareSurface.h"
#include "ui/win32/Win32Backend.h"
#include "ui/win32/WindowClass.h"

namespace zintra::ui {

namespace {

const wchar_t kPopupClass[] = L"ZUIPOPUP";
const wchar_t kShadowPopupClass[] = L"ZUIPOPUPSHADOW";
const wchar_t kFocusClass[] = L"ZUIPOPUPFOCUS";

HWND NativeHwnd(platform::NativeWindow window) { return reinterpret_cast<HWND>(window); }

platform::NativeWindow Handle(HWND hwnd) { return reinterpret_cast<platform::NativeWindow>(hwnd); }

bool IsKeyMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

}  // namespace

Win32PopupWindow::Win32PopupWindow(Win32Backend& backend, PopupContent& content, const PopupSpec& spec)
    : backend_(backend), content_(content), spec_(spec) {}

Win32PopupWindow::~Win32PopupWindow() {
    if (hwnd_ == nullptr) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

bool Win32PopupWindow::Open() {
    const wchar_t* className = spec_.shadow ? kShadowPopupClass : kPopupClass;
    if (!RegisterWindowClassOnce({className, WindowProc, spec_.shadow ? static_cast<UINT>(CS_DROPSHADOW) : 0u, true})) {
        return false;
    }
    DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    if (spec_.passive) exStyle |= WS_EX_TRANSPARENT;
    const platform::Rect& rect = spec_.rect;
    hwnd_ = CreateWindowExW(exStyle, className, L"", WS_POPUP, rect.left, rect.top, std::max(1, rect.Width()),
                            std::max(1, rect.Height()), NativeHwnd(spec_.owner), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) {
        OutputDebugStringA("zintra: CreateWindowExW failed for a pop-up\n");
        return false;
    }
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    // Above other top-most windows too, as a tooltip over a top-most host must be.
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindow(hwnd_);
    return true;
}

void Win32PopupWindow::Refresh() {
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

void Win32PopupWindow::Paint(HDC dc) {
    const int width = std::max(1, spec_.rect.Width());
    const int height = std::max(1, spec_.rect.Height());
    picture_.Resize(width, height);
    SoftwareSurface surface(picture_, backend_.Images(), backend_.Text(), spec_.scale > 0.0 ? spec_.scale : 1.0);
    content_.PaintPopup(surface);
    if (!canvas_.Ensure(width, height)) return;
    canvas_.CopyFrom(picture_);
    BitBlt(dc, 0, 0, width, height, canvas_.Dc(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK Win32PopupWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32PopupWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            if (self != nullptr) self->Paint(dc);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_NCHITTEST:
            // A tooltip lets the mouse through to what lies below.
            if (self != nullptr && self->spec_.passive) return HTTRANSPARENT;
            break;
        case WM_CAPTURECHANGED:
            if (self != nullptr) self->backend_.PopupCaptureChanged(hwnd, reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_ACTIVATEAPP:
            if (self != nullptr && wParam == FALSE) self->backend_.PopupProgramDeactivated();
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// ---- Win32Backend: the pop-up seam ----

platform::NativeWindow Win32Backend::OpenPopup(PopupContent& content, const PopupSpec& spec) {
    auto popup = std::make_unique<Win32PopupWindow>(*this, content, spec);
    if (!popup->Open()) return 0;
    const HWND hwnd = popup->Hwnd();
    popups_.push_back(std::move(popup));
    return Handle(hwnd);
}

Win32PopupWindow* Win32Backend::FindPopup(HWND hwnd) const {
    for (const auto& popup : popups_) {
        if (popup->Hwnd() == hwnd) return popup.get();
    }
    return nullptr;
}

void Win32Backend::ClosePopup(platform::NativeWindow window) {
    const auto it = std::find_if(popups_.begin(), popups_.end(),
                                 [&](const auto& popup) { return popup->Hwnd() == NativeHwnd(window); });
    if (it == popups_.end()) return;
    std::unique_ptr<Win32PopupWindow> closing = std::move(*it);
    popups_.erase(it);
    // The mouse stays with the loop: another open pop-up takes it over.
    if (popupCapture_ == closing->Hwnd()) HoldPopupMouse(FirstActivePopup());
}

void Win32Backend::RefreshPopup(platform::NativeWindow window) {
    if (Win32PopupWindow* popup = FindPopup(NativeHwnd(window))) popup->Refresh();
}

platform::Rect Win32Backend::WorkAreaAt(platform::Point screenPoint) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromPoint(POINT{screenPoint.x, screenPoint.y}, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) return WorkArea(0);
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

HWND Win32Backend::FirstActivePopup() const {
    for (const auto& popup : popups_) {
        if (!popup->Spec().passive) return popup->Hwnd();
    }
    return nullptr;
}

void Win32Backend::HoldPopupMouse(HWND hwnd) {
    // Set first, so the pop-up that loses the mouse to it sees a hand-over, not a loss.
    popupCapture_ = hwnd;
    if (hwnd != nullptr) {
        ::SetCapture(hwnd);
    } else if (::GetCapture() != nullptr && FindPopup(::GetCapture()) != nullptr) {
        ::ReleaseCapture();
    }
}

void Win32Backend::PopupCaptureChanged(HWND from, HWND to) {
    if (popupCapture_ == nullptr || from != popupCapture_ || FindPopup(to) != nullptr) return;
    PopupInputLost();
}

void Win32Backend::PopupProgramDeactivated() {
    if (popupCapture_ != nullptr) PopupInputLost();
}

void Win32Backend::PopupInputLost() {
    popupLost_ = true;
    // Wakes the loop, which is waiting for a message.
    PostMessageW(popupCapture_ != nullptr ? popupCapture_ : nullptr, WM_NULL, 0, 0);
}

HWND Win32Backend::PopupForegroundWindow(HWND owner) {
    if (owner != nullptr) return owner;
    // A pop-up without an owner (the tray's menu) still needs a window of
    // this program in front, or a click elsewhere would never reach the loop.
    if (popupFocus_ == nullptr && RegisterWindowClassOnce({kFocusClass, DefWindowProcW, 0, false})) {
        popupFocus_ = CreateWindowExW(WS_EX_TOOLWINDOW, kFocusClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    }
    return popupFocus_;
}

bool Win32Backend::PreviewPopupMessage(PopupInput& input, const MSG& message) {
    const UINT id = message.message;
    if (id == WM_MOUSEWHEEL || id == WM_MOUSEHWHEEL) {
        // Screen coordinates already, whichever window it was sent to.
        input.PopupMessage(id, message.wParam, {GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)});
        return true;
    }
    if (id >= WM_MOUSEFIRST && id <= WM_MOUSELAST) {
        // Held by a pop-up: positions outside it arrive here too, relative to it.
        POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
        ::ClientToScreen(message.hwnd, &point);
        input.PopupMessage(id, message.wParam, {point.x, point.y});
        return true;
    }
    if (id >= WM_NCMOUSEMOVE && id <= WM_NCMBUTTONDBLCLK) {
        // Before the mouse was held: screen coordinates, as the client message it stands for.
        input.PopupMessage(id - WM_NCMOUSEMOVE + WM_MOUSEMOVE, 0,
                           {GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)});
        return true;
    }
    if (!IsKeyMessage(id)) return false;
    if (id == WM_KEYDOWN || id == WM_SYSKEYDOWN) {
        TranslateMessage(&message);  // the characters follow as WM_CHAR
        input.PopupMessage(id, message.wParam, {message.pt.x, message.pt.y});
    } else if (id == WM_CHAR) {
        input.PopupMessage(msg::kChar, message.wParam, {message.pt.x, message.pt.y});
    }
    // Releases and system characters stay here, or Alt would open a host's system menu.
    return true;
}

bool Win32Backend::RunPopupLoop(PopupInput& input, const bool& open) {
    const HWND first = FirstActivePopup();
    if (first == nullptr) {
        input.PopupCancelled();
        return true;
    }
    // A pop-up closes on a click elsewhere only while a window of ours is in front.
    const HWND foreground = PopupForegroundWindow(NativeHwnd(FindPopup(first)->Spec().owner));
    if (foreground != nullptr) SetForegroundWindow(foreground);
    popupLost_ = false;
    HoldPopupMouse(first);
    if (::GetCapture() != first) {
        popupCapture_ = nullptr;
        input.PopupCancelled();
        return true;
    }
    const bool running = PumpMessages([&] { return open && !popupLost_ && popupCapture_ != nullptr; },
                                      [&](const MSG& message) { return PreviewPopupMessage(input, message); });
    const bool cancelled = open && running;
    HoldPopupMouse(nullptr);
    popupLost_ = false;
    // The characters of the key that ended the loop (Enter, Escape) belong to it, not to a host.
    MSG character;
    while (PeekMessageW(&character, nullptr, WM_CHAR, WM_SYSDEADCHAR, PM_REMOVE)) {
    }
    if (foreground == popupFocus_ && foreground != nullptr) PostMessageW(foreground, WM_NULL, 0, 0);
    if (cancelled) input.PopupCancelled();
    if (!running) PostQuitMessage(quitCode_);
    return running;
}

}  // namespace zintra::ui
