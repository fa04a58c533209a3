// The open list of a combo box: a top-most pop-up below the box (above it when
// the screen ends first) that never takes activation, painted by the box's
// list (DropDownList), with its own short loop: the item under the mouse is
// highlighted, a release on an item picks it, a press elsewhere or Escape
// cancels, Up, Down and Enter work from the keyboard.
#pragma once

#include "platform/win32/WindowsApi.h"

#include "ui/core/Backend.h"
#include "ui/render/PixelBuffer.h"
#include "ui/win32/DibSection.h"

namespace zintra::ui {

class Win32Backend;

class Win32DropDown {
public:
    Win32DropDown(Win32Backend& backend, const DropDownRequest& request);
    ~Win32DropDown();
    Win32DropDown(const Win32DropDown&) = delete;
    Win32DropDown& operator=(const Win32DropDown&) = delete;

    // The chosen index, or -1. The list's own selection is left as it was.
    int Run(const platform::Rect& workArea);
    // Where the list opens for an anchor: below it, or above when it would
    // leave the work area.
    static platform::Rect Place(const platform::Rect& anchor, int height, const platform::Rect& workArea);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc);
    void Highlight(int index);
    int ItemAtClient(POINT point) const;

    Win32Backend& backend_;
    DropDownRequest request_;
    HWND hwnd_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int hover_ = -1;
    PixelBuffer picture_;
    DibSection canvas_;
};

}  // namespace zintra::ui
