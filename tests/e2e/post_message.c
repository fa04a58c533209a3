/* Posts one window message to a window found by class and title, as another
 * program (or the shell) would: post_message.exe <class> <title> <msg> [wParam] [lParam].
 * Exits 0 when the window was found and the message posted. */
#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    HWND window;
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    if (argv == NULL || count < 4) return 2;
    window = FindWindowW(argv[1][0] ? argv[1] : NULL, argv[2][0] ? argv[2] : NULL);
    if (window == NULL) return 3;
    if (!PostMessageW(window, (UINT)wcstoul(argv[3], NULL, 0), count > 4 ? (WPARAM)wcstoul(argv[4], NULL, 0) : 0,
                      count > 5 ? (LPARAM)wcstol(argv[5], NULL, 0) : 0)) {
        return 4;
    }
    return 0;
}
