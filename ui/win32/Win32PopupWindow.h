// One of the toolkit's pop-up windows on Windows (a menu level, a drop-down
// list, a tooltip): a top-most pop-up that never takes activation and shows
// what its content paints. Its input is read by Win32Backend::RunPopupLoop,
// which lives beside it in Win32PopupWindow.cpp.
#pragma once

#include "platform/win32/WindowsApi.h"

#include "ui/core/Popups.h"
#include "ui/render/PixelBuffer.h"
#include "ui/win32/DibSection.h"

namespace zintra::ui {

class Win32Backend;

class Win32PopupWindow {
public:
    Win32PopupWindow(Win32Backend& backend, PopupContent& content, const PopupSpec& spec);
    ~Win32PopupWindow();
    Win32PopupWindow(const Win32PopupWindow&) = delete;
    Win32PopupWindow& operator=(const Win32PopupWindow&) = delete;

    // Makes and shows the window; false when it could not be made.
    bool Open();
    HWND Hwnd() const { return hwnd_; }
    const PopupSpec& Spec() const { return spec_; }
    // Paints the content again and shows it at once.
    void Refresh();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc);

    Win32Backend& backend_;
    PopupContent& content_;
    PopupSpec spec_;
    HWND hwnd_ = nullptr;
    PixelBuffer picture_;
    DibSection canvas_;
};

}  // namespace zintra::ui
