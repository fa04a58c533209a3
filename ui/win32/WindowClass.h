// Registers a window class once per process, whichever of the backend's
// windows asks first.
#pragma once

#include "platform/win32/WindowsApi.h"

namespace zintra::ui {

struct WindowClassSpec {
    const wchar_t* name = nullptr;
    WNDPROC procedure = DefWindowProcW;
    UINT style = 0;
    bool arrowCursor = false;
};

// True when the class exists now (also when registered before).
bool RegisterWindowClassOnce(const WindowClassSpec& spec);

}  // namespace zintra::ui
