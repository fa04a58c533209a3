#include "ui/win32/Win32ToolTip.h"

#include <algorithm>

#include "ui/core/SApplication.h"
#include "ui/core/ScreenScale.h"
#include "ui/render/SoftwareSurface.h"
#include "ui/win32/Win32Backend.h"
#include "ui/win32/WindowClass.h"

namespace zintra::ui {

namespace {

const wchar_t kToolTipClass[] = L"ZUITOOLTIP";
constexpr Color kBackground{0xFF, 0xFF, 0xE1, 255};
constexpr Color kBorder{0x76, 0x76, 0x76, 255};
constexpr Color kText{0x00, 0x00, 0x00, 255};
// Layout units around the text.
constexpr int kPaddingX = 5;
constexpr int kPaddingY = 3;

Font ToolTipFont() {
    const SApplication* application = SApplication::Instance();
    return application != nullptr ? application->Definitions().DefaultFont() : Font{u"微软雅黑", 12};
}

}  // namespace

void Win32ToolTip::Show(HWND owner, std::u16string_view text, platform::Point screenPoint, double scale) {
    Hide();
    if (text.empty() || !RegisterWindowClassOnce({kToolTipClass, WindowProc, 0, true})) return;
    const Font font = ToolTipFont();
    // Measured and laid out in layout units, drawn in the owner's pixels.
    const platform::Size textSize = backend_.MeasureText(font, text);
    const int width = textSize.width + 2 * kPaddingX;
    const int height = textSize.height + 2 * kPaddingY;
    picture_.Resize(PixelOfUnit(width, scale), PixelOfUnit(height, scale));
    SoftwareSurface surface(picture_, backend_.Images(), backend_.Text(), scale);
    surface.FillRect({0, 0, width, height}, kBackground);
    surface.DrawText({kPaddingX, kPaddingY, width - kPaddingX, height - kPaddingY}, std::u16string(text), font, kText,
                     text_mode::kSingleLine | text_mode::kVCenter);
    surface.FrameRect({0, 0, width, height}, kBorder, 0);  // a hairline

    // On the pointer's monitor, moved in from its right and bottom edges.
    int left = screenPoint.x;
    int top = screenPoint.y;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (HMONITOR monitor = MonitorFromPoint(POINT{left, top}, MONITOR_DEFAULTTONEAREST);
        monitor != nullptr && GetMonitorInfoW(monitor, &info)) {
        left = std::max<int>(info.rcWork.left, std::min<int>(left, info.rcWork.right - picture_.width));
        top = std::max<int>(info.rcWork.top, std::min<int>(top, info.rcWork.bottom - picture_.height));
    }
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT, kToolTipClass,
                            L"", WS_POPUP, left, top, picture_.width, picture_.height, owner, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) return;
    owner_ = owner;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindow(hwnd_);
}

void Win32ToolTip::Hide(HWND owner) {
    if (owner == owner_) Hide();
}

void Win32ToolTip::Hide() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    owner_ = nullptr;
}

void Win32ToolTip::Paint(HDC dc) {
    if (picture_.Empty() || !canvas_.Ensure(picture_.width, picture_.height)) return;
    canvas_.CopyFrom(picture_);
    BitBlt(dc, 0, 0, picture_.width, picture_.height, canvas_.Dc(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK Win32ToolTip::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32ToolTip*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
            return HTTRANSPARENT;  // the mouse goes to what lies below
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace zintra::ui
