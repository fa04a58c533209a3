#include "ui/win32/Win32HostWindow.h"

#include "ui/win32/WindowClass.h"

#include <cmath>
#include <set>

#include "ui/core/HostRenderer.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/ScreenScale.h"
#include "ui/render/SoftwareSurface.h"
#include "ui/core/UiMapWriter.h"
#include "ui/win32/Win32Accessible.h"
#include "ui/win32/Win32Backend.h"

namespace zintra::ui {

namespace {

constexpr UINT_PTR kCaretTimer = 0x5A11;

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

UINT WindowDpi(HWND hwnd) {
    static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpi != nullptr ? getDpi(hwnd) : 96;
    return dpi == 0 ? 96 : dpi;
}

// The control under a point and its cursor (inherited from its parents).
const char* CursorName(SWindow* control) {
    for (SWindow* w = control; w != nullptr; w = w->GetParent()) {
        if (!w->GetCursor().empty()) return w->GetCursor().c_str();
    }
    return "";
}

}  // namespace

Win32HostWindow::Win32HostWindow(Win32Backend& backend, platform::MessageHandler& handler, bool layered)
    : backend_(backend), handler_(handler), host_(dynamic_cast<SHostWnd*>(&handler)), layered_(layered) {}

Win32HostWindow::~Win32HostWindow() = default;

bool Win32HostWindow::RegisterClassOnce(const std::wstring& className) {
    return RegisterWindowClassOnce({className.c_str(), WindowProc, CS_DBLCLKS, true});
}

void Win32HostWindow::UpdateScale() { scale_ = hwnd_ != nullptr ? WindowDpi(hwnd_) / 96.0 : 1.0; }

LRESULT CALLBACK Win32HostWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window = static_cast<Win32HostWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        window->UpdateScale();
    }
    auto* window = reinterpret_cast<Win32HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        const LRESULT result = window->Handle(message, wParam, lParam);
        window->backend_.ForgetWindow(hwnd);  // deletes the window object
        return result;
    }
    return window->Handle(message, wParam, lParam);
}

LPARAM Win32HostWindow::ToLayout(LPARAM lParam) const {
    if (scale_ == 1.0) return lParam;
    const int x = UnitOfPixel(static_cast<short>(LOWORD(lParam)), scale_);
    const int y = UnitOfPixel(static_cast<short>(HIWORD(lParam)), scale_);
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

bool Win32HostWindow::SetCursorForPoint() {
    if (host_ == nullptr || host_->GetRoot() == nullptr) return false;
    POINT point{};
    GetCursorPos(&point);
    const platform::Point at =
        backend_.ScreenToClient(reinterpret_cast<platform::NativeWindow>(hwnd_), {point.x, point.y});
    SWindow* hit = host_->GetCapture() != nullptr ? host_->GetCapture() : host_->GetRoot()->HitTest(at);
    const std::string name = CursorName(hit);
    LPCWSTR cursor = IDC_ARROW;
    if (name == "hand") cursor = IDC_HAND;
    if (name == "ibeam") cursor = IDC_IBEAM;
    SetCursor(LoadCursorW(nullptr, cursor));
    return true;
}

std::optional<std::intptr_t> Win32HostWindow::ToHost(UINT message, WPARAM wParam, LPARAM lParam) {
    return handler_.HandleMessage(reinterpret_cast<platform::NativeWindow>(hwnd_), message, wParam, lParam);
}

LRESULT Win32HostWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const std::optional<LRESULT> own = HandleOwn(message, wParam, lParam)) return *own;
    std::optional<std::intptr_t> result = ToHost(message, wParam, lParam);
    if (message == WM_WINDOWPOSCHANGED) UiMapWriter::Instance().Refresh();
    if (result) return *result;
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

std::optional<LRESULT> Win32HostWindow::HandleOwn(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kRenderMessage:
            renderPending_ = false;
            RenderNow();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            return OnPaint();
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && SetCursorForPoint()) return TRUE;
            return std::nullopt;
        case WM_MOUSEMOVE:
            TrackMouseLeave();
            [[fallthrough]];
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return OnMouse(message, wParam, lParam);
        case WM_MOUSEWHEEL:
            return OnMouseWheel(wParam, lParam);
        case WM_MOUSELEAVE:
            trackingMouse_ = false;
            return std::nullopt;
        case WM_DPICHANGED:
            return OnDpiChanged(*reinterpret_cast<const RECT*>(lParam));
        default:
            return HandleLifeAndAccess(message, wParam, lParam);
    }
}

std::optional<LRESULT> Win32HostWindow::HandleLifeAndAccess(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SHOWWINDOW:
            // A layered window shows nothing until it has been given a picture.
            if (wParam != FALSE && layered_) RenderNow();
            return std::nullopt;
        case WM_DESTROY:
            KillTimer(hwnd_, kCaretTimer);
            win32_accessible::ForgetWindow(hwnd_);
            return std::nullopt;
        case WM_GETOBJECT:
            if (host_ == nullptr) return std::nullopt;
            if (auto answer = win32_accessible::AnswerGetObject(hwnd_, *host_, wParam, lParam)) return *answer;
            return std::nullopt;
        case win32_accessible::kDefaultActionMessage:
            win32_accessible::RunDefaultAction(hwnd_, wParam, lParam);
            return 0;
        default:
            return std::nullopt;
    }
}

LRESULT Win32HostWindow::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    if (!layered_) {
        Render();
        Present(dc);
    }
    EndPaint(hwnd_, &paint);
    return 0;
}

void Win32HostWindow::TrackMouseLeave() {
    if (trackingMouse_) return;
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
    trackingMouse_ = TrackMouseEvent(&track) != FALSE;
}

LRESULT Win32HostWindow::OnMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto result = ToHost(message, wParam, ToLayout(lParam))) return *result;
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT Win32HostWindow::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    // Wheel positions come in screen coordinates; hosts take client ones.
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(hwnd_, &point);
    if (auto result = ToHost(WM_MOUSEWHEEL, wParam, ToLayout(MAKELPARAM(point.x, point.y)))) return *result;
    return 0;
}

LRESULT Win32HostWindow::OnDpiChanged(const RECT& suggested) {
    // The layout stays as it is; only its pixels change, so the size
    // comes from the layout (the suggested one drifts with rounding).
    UpdateScale();
    int width = suggested.right - suggested.left;
    int height = suggested.bottom - suggested.top;
    if (host_ != nullptr && host_->GetClientSize().width > 0) {
        width = PixelOfUnit(host_->GetClientSize().width, scale_);
        height = PixelOfUnit(host_->GetClientSize().height, scale_);
    }
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    RequestRender();
    UiMapWriter::Instance().Refresh();
    return 0;
}

void Win32HostWindow::RequestRender() {
    if (hwnd_ == nullptr) return;
    if (!layered_) {
        InvalidateRect(hwnd_, nullptr, FALSE);
        return;
    }
    if (renderPending_) return;
    renderPending_ = PostMessageW(hwnd_, kRenderMessage, 0, 0) != FALSE;
}

void Win32HostWindow::Render() {
    if (host_ == nullptr) return;
    RenderHost(*host_, picture_, backend_.Images(), backend_.Text(), scale_);
    if (caret_ && caretOn_ && !picture_.Empty()) {
        SoftwareSurface surface(picture_, backend_.Images(), backend_.Text(), scale_);
        surface.FillRect(*caret_, Color{0, 0, 0, 255});
    }
}

void Win32HostWindow::Present(HDC paintDc) {
    if (picture_.Empty() || !dib_.Ensure(picture_.width, picture_.height)) return;
    dib_.CopyFrom(picture_);
    if (layered_) {
        SIZE size{picture_.width, picture_.height};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        if (!UpdateLayeredWindow(hwnd_, nullptr, nullptr, &size, dib_.Dc(), &source, 0, &blend, ULW_ALPHA)) {
            OutputDebugStringA("zintra: UpdateLayeredWindow failed\n");
        }
    } else if (paintDc != nullptr) {
        BitBlt(paintDc, 0, 0, picture_.width, picture_.height, dib_.Dc(), 0, 0, SRCCOPY);
    }
}

void Win32HostWindow::RenderNow() {
    if (hwnd_ == nullptr) return;
    if (layered_) {
        Render();
        Present(nullptr);
    } else {
        InvalidateRect(hwnd_, nullptr, FALSE);
        UpdateWindow(hwnd_);
    }
    UiMapWriter::Instance().Refresh();
}

void CALLBACK Win32HostWindow::CaretBlink(HWND hwnd, UINT, UINT_PTR, DWORD) {
    auto* window = reinterpret_cast<Win32HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr || !window->caret_) return;
    window->caretOn_ = !window->caretOn_;
    window->RequestRender();
}

void Win32HostWindow::ShowCaret(const platform::Rect& rect) {
    caret_ = rect;
    caretOn_ = true;
    // A timer procedure, so the host never sees the blink as its own WM_TIMER.
    SetTimer(hwnd_, kCaretTimer, GetCaretBlinkTime(), CaretBlink);
    RequestRender();
}

void Win32HostWindow::HideCaret() {
    if (!caret_) return;
    caret_.reset();
    KillTimer(hwnd_, kCaretTimer);
    RequestRender();
}

}  // namespace zintra::ui
