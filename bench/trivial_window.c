/* The start-up baseline of the benchmarks: the least a Win32 program does to
 * put a window on screen (register a class, create, show, pump). Start-up of
 * the clicker is measured against this one under the same Wine prefix.
 * Usage: trivial_window.exe [title]   (default title ZintraBenchTrivial) */
#include <windows.h>

static LRESULT CALLBACK TrivialProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, (HBRUSH)(COLOR_WINDOW + 1));
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show) {
    WNDCLASSW windowClass = {0};
    HWND hwnd;
    MSG message;
    const wchar_t* title = (commandLine != NULL && commandLine[0] != L'\0') ? commandLine : L"ZintraBenchTrivial";
    (void)previous;
    windowClass.lpfnWndProc = TrivialProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.lpszClassName = L"ZintraBenchTrivial";
    if (!RegisterClassW(&windowClass)) return 1;
    hwnd = CreateWindowExW(0, L"ZintraBenchTrivial", title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400,
                           300, NULL, NULL, instance, NULL);
    if (hwnd == NULL) return 2;
    ShowWindow(hwnd, show == SW_HIDE ? SW_SHOWNORMAL : show);
    UpdateWindow(hwnd);
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
