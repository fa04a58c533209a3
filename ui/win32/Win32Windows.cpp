// Win32Backend: plain windows, messages, the one message pump behind the main
// loop, modal loops and drop-down lists, timers and hotkeys.
#include "ui/win32/Win32Backend.h"

#include <mmsystem.h>

#include <cstdio>

#include "ui/win32/WindowClass.h"

namespace zintra::ui {

namespace {

HWND Hwnd(platform::NativeWindow window) { return reinterpret_cast<HWND>(window); }

// Failures are visible in a debugger without changing what the user sees.
void Trace(const char* call, unsigned long error) {
    char text[160];
    std::snprintf(text, sizeof(text), "zintra: %s failed, error %lu\n", call, error);
    OutputDebugStringA(text);
}

const wchar_t kMessageWindowClass[] = L"ZintraMessageWindow";

LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* handler = reinterpret_cast<platform::MessageHandler*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // WM_DESTROY is the last message a handler sees: it may delete itself there.
    if (message == WM_DESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (handler != nullptr) {
        if (auto result = handler->HandleMessage(reinterpret_cast<platform::NativeWindow>(hwnd), message, wParam,
                                                 lParam)) {
            return *result;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Windows 11 ignores a process's timer resolution request while its windows
// are hidden unless the process opts out of that throttling.
void KeepTimerResolutionWhenHidden() {
    struct PowerThrottlingState {
        ULONG version;
        ULONG controlMask;
        ULONG stateMask;
    };
    using SetProcessInformationFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    auto setInformation = reinterpret_cast<SetProcessInformationFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetProcessInformation")));
    if (setInformation == nullptr) return;
    constexpr int kProcessPowerThrottling = 4;
    constexpr ULONG kIgnoreTimerResolution = 0x4;
    PowerThrottlingState state{1, kIgnoreTimerResolution, 0};
    if (!setInformation(GetCurrentProcess(), kProcessPowerThrottling, &state, sizeof(state))) {
        Trace("SetProcessInformation", GetLastError());
    }
}

// winmm is loaded when the first run asks for fine timers, not with the
// program: nothing before the first window needs it.
MMRESULT CallTimePeriod(const char* function, UINT period) {
    using TimePeriodFn = MMRESULT(WINAPI*)(UINT);
    static HMODULE module = LoadLibraryW(L"winmm.dll");
    if (module == nullptr) return TIMERR_NOCANDO;
    auto call = reinterpret_cast<TimePeriodFn>(reinterpret_cast<void*>(GetProcAddress(module, function)));
    return call != nullptr ? call(period) : TIMERR_NOCANDO;
}

}  // namespace

bool Win32Backend::PumpMessages(const std::function<bool()>& running, const MessagePreview& preview) {
    MSG message;
    while (running()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The program is quitting: an inner loop leaves the request for the
            // outer one, which ends with its code.
            quitCode_ = static_cast<int>(message.wParam);
            return false;
        }
        if (got < 0) return false;
        if (preview && preview(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

int Win32Backend::RunMessageLoop() {
    PumpMessages([] { return true; });
    return quitCode_;
}

void Win32Backend::PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

platform::NativeWindow Win32Backend::CreateMessageWindow(platform::MessageHandler& handler) {
    if (!RegisterWindowClassOnce({kMessageWindowClass, MessageWindowProc, 0, false})) return 0;
    // A hidden top-level window rather than a message-only one, so that
    // broadcasts such as "TaskbarCreated" reach it.
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kMessageWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), &handler);
    if (hwnd == nullptr) Trace("CreateWindowExW", GetLastError());
    return reinterpret_cast<platform::NativeWindow>(hwnd);
}

void Win32Backend::DestroyWindow(platform::NativeWindow window) { ::DestroyWindow(Hwnd(window)); }

bool Win32Backend::ShowWindow(platform::NativeWindow window, int command) {
    return ::ShowWindow(Hwnd(window), command) != FALSE;
}

bool Win32Backend::IsWindowVisible(platform::NativeWindow window) { return ::IsWindowVisible(Hwnd(window)) != FALSE; }

bool Win32Backend::SetWindowPos(platform::NativeWindow window, platform::NativeWindow insertAfter,
                                const platform::Rect& rect, std::uint32_t flags) {
    return ::SetWindowPos(Hwnd(window), Hwnd(insertAfter), rect.left, rect.top, rect.Width(), rect.Height(),
                          flags) != FALSE;
}

std::intptr_t Win32Backend::SendMessage(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
    return ::SendMessageW(Hwnd(window), message, wParam, lParam);
}

bool Win32Backend::PostMessage(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
    return ::PostMessageW(Hwnd(window), message, wParam, lParam) != FALSE;
}

// ---- Timers ----

void Win32Backend::SetTimer(platform::NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) {
    if (::SetTimer(Hwnd(window), id, milliseconds, nullptr) == 0) Trace("SetTimer", GetLastError());
}

void Win32Backend::KillTimer(platform::NativeWindow window, std::uintptr_t id) { ::KillTimer(Hwnd(window), id); }

void Win32Backend::BeginPreciseTiming() {
    if (preciseTimingDepth_++ > 0) return;
    KeepTimerResolutionWhenHidden();
    if (CallTimePeriod("timeBeginPeriod", 1) != TIMERR_NOERROR) Trace("timeBeginPeriod", 0);
}

void Win32Backend::EndPreciseTiming() {
    if (preciseTimingDepth_ <= 0) return;
    if (--preciseTimingDepth_ == 0) CallTimePeriod("timeEndPeriod", 1);
}

// ---- Hotkeys ----

bool Win32Backend::RegisterHotKey(platform::NativeWindow window, int id, std::uint32_t modifiers,
                                  std::uint32_t virtualKey) {
    if (::RegisterHotKey(Hwnd(window), id, modifiers, virtualKey)) return true;
    Trace("RegisterHotKey", GetLastError());
    return false;
}

bool Win32Backend::UnregisterHotKey(platform::NativeWindow window, int id) {
    return ::UnregisterHotKey(Hwnd(window), id) != FALSE;
}

}  // namespace zintra::ui
