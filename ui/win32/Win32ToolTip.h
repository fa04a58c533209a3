// The tooltip window: a small top-most pop-up that shows a control's tip near
// the pointer, drawn by the software surface at its owner's scale. It is
// never activated and lets every mouse message through to what lies below.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <string>

#include "platform/Types.h"
#include "ui/render/PixelBuffer.h"
#include "ui/win32/DibSection.h"

namespace zintra::ui {

class Win32Backend;

class Win32ToolTip {
public:
    explicit Win32ToolTip(Win32Backend& backend) : backend_(backend) {}
    ~Win32ToolTip() { Hide(); }
    Win32ToolTip(const Win32ToolTip&) = delete;
    Win32ToolTip& operator=(const Win32ToolTip&) = delete;

    void Show(HWND owner, std::u16string_view text, platform::Point screenPoint, double scale);
    // Hides the tip if `owner` shows it.
    void Hide(HWND owner);
    void Hide();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc);

    Win32Backend& backend_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    PixelBuffer picture_;
    DibSection canvas_;
};

}  // namespace zintra::ui
