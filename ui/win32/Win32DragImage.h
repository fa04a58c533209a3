// The drag image window: a top-most layered window that shows a picture at
// the cursor, lets every mouse message through and never takes activation.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <cstdint>

#include "platform/Types.h"
#include "ui/render/Bitmap.h"
#include "ui/win32/DibSection.h"

namespace zintra::ui {

class Win32DragImage {
public:
    Win32DragImage() = default;
    ~Win32DragImage() { End(); }
    Win32DragImage(const Win32DragImage&) = delete;
    Win32DragImage& operator=(const Win32DragImage&) = delete;

    // False while one is shown or when the picture is empty.
    bool Begin(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey, std::uint8_t alpha,
               std::uint32_t flags);
    void Move(platform::Point screenPoint);
    void End();
    HWND Hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
    platform::Point hotSpot_;
    DibSection picture_;
    int width_ = 0;
    int height_ = 0;
    BYTE alpha_ = 255;
};

}  // namespace zintra::ui
