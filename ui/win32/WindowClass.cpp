#include "ui/win32/WindowClass.h"

#include <set>
#include <string>

namespace zintra::ui {

bool RegisterWindowClassOnce(const WindowClassSpec& spec) {
    static std::set<std::wstring> registered;
    if (registered.count(spec.name) != 0) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = spec.style;
    windowClass.lpfnWndProc = spec.procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = spec.arrowCursor ? LoadCursorW(nullptr, IDC_ARROW) : nullptr;
    windowClass.lpszClassName = spec.name;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        OutputDebugStringA("zintra: RegisterClassExW failed\n");
        return false;
    }
    registered.insert(spec.name);
    return true;
}

}  // namespace zintra::ui
