#include "ui/win32/Win32DragImage.h"

#include "ui/win32/WindowClass.h"

#include "ui/core/CDragWnd.h"
#include "ui/render/PixelBuffer.h"

namespace zintra::ui {

namespace {

const wchar_t kDragClass[] = L"ZUIDRAGIMAGE";

bool RegisterDragClass() { return RegisterWindowClassOnce({kDragClass, DefWindowProcW, 0, false}); }

}  // namespace

bool Win32DragImage::Begin(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey, std::uint8_t alpha,
                           std::uint32_t flags) {
    if (hwnd_ != nullptr || image.Empty() || !RegisterDragClass()) return false;
    PixelBuffer pixels = PixelBuffer::FromBitmap(image);
    if (pixels.Empty() || !picture_.Ensure(pixels.width, pixels.height)) return false;
    if (flags & CDragWnd::kColorKey) {
        // The key is a COLORREF (0x00BBGGRR); its pixels become holes.
        const std::uint32_t key = 0xFF000000 | ((colorKey & 0xFF) << 16) | (colorKey & 0xFF00) | ((colorKey >> 16) & 0xFF);
        for (auto& p : pixels.pixels) {
            if (p == key) p = 0;
        }
    }
    picture_.CopyFrom(pixels);
    width_ = pixels.width;
    height_ = pixels.height;
    alpha_ = (flags & CDragWnd::kAlpha) ? alpha : 255;
    hotSpot_ = hotSpot;
    hwnd_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                            kDragClass, L"", WS_POPUP, 0, 0, width_, height_, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    return hwnd_ != nullptr;
}

void Win32DragImage::Move(platform::Point screenPoint) {
    if (hwnd_ == nullptr) return;
    POINT position{screenPoint.x - hotSpot_.x, screenPoint.y - hotSpot_.y};
    SIZE size{width_, height_};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha_, AC_SRC_ALPHA};
    UpdateLayeredWindow(hwnd_, nullptr, &position, &size, picture_.Dc(), &source, 0, &blend, ULW_ALPHA);
    if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void Win32DragImage::End() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    picture_.Release();
}

}  // namespace zintra::ui
