/* The idle baseline of the benchmarks: a Win32 program that owns one hidden
 * top-level window and does nothing but wait in GetMessage, as a program
 * sitting in the tray does. Its CPU use under Wine is the floor any such
 * program pays. Ends on WM_CLOSE or when killed.
 * Usage: idle_pump.exe */
#include <windows.h>

static LRESULT CALLBACK PumpProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    WNDCLASSW windowClass = {0};
    MSG message;
    (void)previous;
    (void)commandLine;
    (void)show;
    windowClass.lpfnWndProc = PumpProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"ZintraBenchIdlePump";
    if (!RegisterClassW(&windowClass)) return 1;
    /* Created hidden, like the clicker's main window when it starts in the tray. */
    if (CreateWindowExW(0, L"ZintraBenchIdlePump", L"ZintraBenchIdlePump", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 400, 300, NULL, NULL, instance, NULL) == NULL) {
        return 2;
    }
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
