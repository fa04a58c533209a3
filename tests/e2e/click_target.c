/* The tests' click target: a plain Win32 window that logs every mouse button
 * message it receives, with a timestamp and the position, one line each:
 *   <milliseconds> <LD|LU|RD|RU> <screen x> <screen y>
 * Wine delivers synthetic clicks only to Wine windows, so this is how the
 * end-to-end tests and benchmarks count what zintra.exe sends.
 * Usage: click_target.exe <log file> [left top width height]
 * It also writes "<left> <top> <right> <bottom>" of its client area to
 * <log file>.rect once it is shown, and ends on WM_CLOSE. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static FILE* logFile;
static LARGE_INTEGER frequency, start;

static void LogButton(HWND hwnd, const char* what, LPARAM lParam) {
    LARGE_INTEGER now;
    POINT p;
    QueryPerformanceCounter(&now);
    p.x = (short)LOWORD(lParam);
    p.y = (short)HIWORD(lParam);
    ClientToScreen(hwnd, &p);
    fprintf(logFile, "%.3f %s %ld %ld\n", (double)(now.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart,
            what, p.x, p.y);
    fflush(logFile);
}

static LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN: LogButton(hwnd, "LD", lParam); return 0;
        case WM_LBUTTONUP: LogButton(hwnd, "LU", lParam); return 0;
        case WM_RBUTTONDOWN: LogButton(hwnd, "RD", lParam); return 0;
        case WM_RBUTTONUP: LogButton(hwnd, "RU", lParam); return 0;
        case WM_LBUTTONDBLCLK: LogButton(hwnd, "LD", lParam); return 0;
        case WM_RBUTTONDBLCLK: LogButton(hwnd, "RD", lParam); return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(dc, &r, (HBRUSH)GetStockObject(LTGRAY_BRUSH));
            SetBkMode(dc, TRANSPARENT);
            DrawTextW(dc, L"click target", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    int left = 0, top = 0, width = 640, height = 480;
    char rectPath[MAX_PATH + 8];
    WNDCLASSW windowClass = {0};
    HWND hwnd;
    MSG message;
    RECT client;
    POINT origin = {0, 0};
    FILE* rectFile;
    (void)previous;
    (void)commandLine;
    (void)show;
    if (__argc < 2) return 2;
    if (__argc >= 6) {
        left = atoi(__argv[2]);
        top = atoi(__argv[3]);
        width = atoi(__argv[4]);
        height = atoi(__argv[5]);
    }
    logFile = fopen(__argv[1], "w");
    if (logFile == NULL) return 3;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);

    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = TargetProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.lpszClassName = L"ZintraClickTarget";
    RegisterClassW(&windowClass);
    hwnd = CreateWindowExW(0, L"ZintraClickTarget", L"ZintraClickTarget", WS_POPUP | WS_VISIBLE, left, top, width,
                           height, NULL, NULL, instance, NULL);
    if (hwnd == NULL) return 4;
    UpdateWindow(hwnd);

    GetClientRect(hwnd, &client);
    ClientToScreen(hwnd, &origin);
    snprintf(rectPath, sizeof(rectPath), "%s.rect", __argv[1]);
    rectFile = fopen(rectPath, "w");
    if (rectFile != NULL) {
        fprintf(rectFile, "%ld %ld %ld %ld\n", origin.x, origin.y, origin.x + client.right, origin.y + client.bottom);
        fclose(rectFile);
    }

    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    fclose(logFile);
    return 0;
}
