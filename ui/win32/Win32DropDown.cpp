#include "ui/win32/Win32DropDown.h"

#include "ui/win32/WindowClass.h"

#include <algorithm>

#include "ui/core/ScreenScale.h"
#include "ui/render/SoftwareSurface.h"
#include "ui/win32/Win32Backend.h"

namespace zintra::ui {

namespace {

const wchar_t kDropDownClass[] = L"ZUIDROPDOWN";
constexpr int kBorder = 1;
constexpr Color kBorderColor{0x01, 0x5C, 0x5D, 255};

}  // namespace

Win32DropDown::Win32DropDown(Win32Backend& backend, const DropDownRequest& request)
    : backend_(backend), request_(request) {}

Win32DropDown::~Win32DropDown() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

platform::Rect Win32DropDown::Place(const platform::Rect& anchor, int height, const platform::Rect& workArea) {
    platform::Rect rect{anchor.left, anchor.bottom, anchor.right, anchor.bottom + height};
    if (rect.bottom > workArea.bottom && anchor.top - height >= workArea.top) {
        rect = {anchor.left, anchor.top - height, anchor.right, anchor.top};
    }
    return rect;
}

int Win32DropDown::ItemAtClient(POINT point) const {
    if (point.x < 0 || point.x >= width_ || point.y < 0 || point.y >= height_) return -1;
    const double scale = request_.scale;
    return request_.list->EntryAt({UnitOfPixel(point.x, scale), UnitOfPixel(point.y, scale)});
}

void Win32DropDown::Highlight(int index) {
    if (index == hover_) return;
    hover_ = index;
    request_.list->HighlightEntry(index);
    request_.list->ShowEntry(index);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32DropDown::Paint(HDC dc) {
    picture_.Resize(width_, height_);
    // Drawn in the owner's layout units at the owner's scale, so the list is
    // as crisp and as large as the box it drops from.
    SoftwareSurface surface(picture_, backend_.Images(), backend_.Text(), request_.scale);
    const int width = UnitOfPixel(width_, request_.scale);
    const int height = UnitOfPixel(height_, request_.scale);
    surface.FillRect({0, 0, width, height}, Color{255, 255, 255, 255});
    request_.list->PlaceEntries({kBorder, kBorder, width - kBorder, height - kBorder});
    request_.list->PaintEntries(surface);
    surface.FrameRect({0, 0, width, height}, kBorderColor, kBorder);
    if (!canvas_.Ensure(width_, height_)) return;
    canvas_.CopyFrom(picture_);
    BitBlt(dc, 0, 0, width_, height_, canvas_.Dc(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK Win32DropDown::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32DropDown*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        self->Paint(dc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int Win32DropDown::Run(const platform::Rect& workArea) {
    DropDownList* list = request_.list;
    const int count = static_cast<int>(request_.entries.size());
    if (list == nullptr || count == 0) return -1;
    if (!RegisterWindowClassOnce({kDropDownClass, WindowProc, CS_DROPSHADOW, true})) return -1;
    // A list taller than the drop height scrolls (DropDownList).
    const int content = count * request_.itemHeight;
    height_ = PixelOfUnit(std::min(std::max(request_.dropHeight, request_.itemHeight), content) + 2 * kBorder,
                          request_.scale);
    width_ = std::max(request_.anchor.Width(), PixelOfUnit(20, request_.scale));
    const platform::Rect rect = Place(request_.anchor, height_, workArea);
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kDropDownClass, L"", WS_POPUP,
                            rect.left, rect.top, width_, height_, reinterpret_cast<HWND>(request_.owner), nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) return -1;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const int original = request_.selected;
    hover_ = original;
    // Laid out now, so the first rows shown include the selected one.
    list->PlaceEntries({kBorder, kBorder, UnitOfPixel(width_, request_.scale) - kBorder,
                        UnitOfPixel(height_, request_.scale) - kBorder});
    list->ScrollToTop();
    list->ShowEntry(original);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
    SetCapture(hwnd_);

    int chosen = -1;
    bool open = true;
    // Mouse and keys go to the list while it is open; everything else runs as usual.
    const auto preview = [&](const MSG& message) {
        if (message.hwnd == hwnd_ && message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) {
            // Captured: positions outside the list arrive here too.
            POINT point{static_cast<short>(LOWORD(message.lParam)), static_cast<short>(HIWORD(message.lParam))};
            const int index = ItemAtClient(point);
            const platform::Point unit{UnitOfPixel(point.x, request_.scale), UnitOfPixel(point.y, request_.scale)};
            const bool inside = point.x >= 0 && point.x < width_ && point.y >= 0 && point.y < height_;
            switch (message.message) {
                case WM_MOUSEMOVE:
                    if (list->DraggingScrollBar()) {
                        list->DragScrollBar(unit);
                        InvalidateRect(hwnd_, nullptr, FALSE);
                    } else if (index >= 0) {
                        Highlight(index);
                    }
                    break;
                case WM_LBUTTONUP:
                    if (list->DraggingScrollBar()) {
                        list->ReleaseScrollBar();
                        break;
                    }
                    // The release of the press that opened the list is not a choice.
                    if (index >= 0) {
                        chosen = index;
                        open = false;
                    }
                    break;
                case WM_LBUTTONDOWN:
                    if (inside && list->PressScrollBar(unit)) {
                        InvalidateRect(hwnd_, nullptr, FALSE);
                        break;
                    }
                    if (index < 0) open = false;
                    break;
                case WM_RBUTTONDOWN:
                case WM_MBUTTONDOWN:
                    if (index < 0) open = false;
                    break;
                default:
                    break;
            }
            return true;
        }
        if (message.message == WM_MOUSEWHEEL) {
            // The wheel goes to the focused window; while the list is open it scrolls the list.
            list->ScrollByWheel(static_cast<short>(HIWORD(message.wParam)));
            InvalidateRect(hwnd_, nullptr, FALSE);
            return true;
        }
        if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
            switch (message.wParam) {
                case VK_ESCAPE:
                case VK_TAB:
                case VK_MENU:
                    open = false;
                    break;
                case VK_RETURN:
                    chosen = hover_;
                    open = false;
                    break;
                case VK_UP:
                    Highlight(std::max(0, hover_ - 1));
                    break;
                case VK_DOWN:
                    Highlight(std::min(count - 1, hover_ + 1));
                    break;
                default:
                    break;
            }
            return true;
        }
        return message.message == WM_CHAR || message.message == WM_KEYUP;
    };
    // Someone else taking the mouse closes the list too.
    if (!backend_.PumpMessages([&] { return open && GetCapture() == hwnd_; }, preview)) {
        PostQuitMessage(backend_.QuitCode());
    }
    if (GetCapture() == hwnd_) ReleaseCapture();
    // The caller applies the choice as a change of its own.
    list->HighlightEntry(original);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    return chosen;
}

}  // namespace zintra::ui
