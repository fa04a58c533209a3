#include "platform/win32/Win32Platform.h"

#include "platform/win32/WindowsApi.h"

#include <mmsystem.h>

#include <cstdio>
#include <ctime>

namespace zintra::platform::win32 {

namespace {

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
HWND Hwnd(NativeWindow window) { return reinterpret_cast<HWND>(window); }
HKEY Hkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

// Failures are visible in a debugger without changing what the user sees.
void Trace(const char* call, unsigned long error) {
    char text[160];
    std::snprintf(text, sizeof(text), "zintra: %s failed, error %lu\n", call, error);
    OutputDebugStringA(text);
}

long TraceStatus(const char* call, long status) {
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) Trace(call, static_cast<unsigned long>(status));
    return status;
}

const wchar_t kMessageWindowClass[] = L"ZintraMessageWindow";

LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* handler = reinterpret_cast<MessageHandler*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // WM_DESTROY is the last message a handler sees: it may delete itself there.
    if (message == WM_DESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (handler != nullptr) {
        if (auto result = handler->HandleMessage(reinterpret_cast<NativeWindow>(hwnd), message, wParam, lParam)) {
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

Win32Platform::Win32Platform() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = MessageWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kMessageWindowClass;
    if (!RegisterClassExW(&windowClass)) Trace("RegisterClassExW", GetLastError());
}

Win32Platform::~Win32Platform() {
    while (preciseTimingDepth_ > 0) EndPreciseTiming();
}

// ---- Registry ----

long Win32Platform::OpenKey(RegistryRoot, const std::u16string& subkey, RegistryKey* key) {
    HKEY opened = nullptr;
    const long status = RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subkey), 0, KEY_ALL_ACCESS, &opened);
    *key = status == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(opened) : 0;
    return TraceStatus("RegOpenKeyExW", status);
}

long Win32Platform::CreateKey(RegistryRoot, const std::u16string& subkey, RegistryKey* key) {
    HKEY created = nullptr;
    const long status = RegCreateKeyExW(HKEY_CURRENT_USER, Wide(subkey), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, &created, nullptr);
    *key = status == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(created) : 0;
    return TraceStatus("RegCreateKeyExW", status);
}

long Win32Platform::QueryValue(RegistryKey key, const std::u16string& name, std::uint32_t* type, void* data,
                               std::uint32_t* size) {
    DWORD valueType = type != nullptr ? *type : 0;
    DWORD valueSize = size != nullptr ? *size : 0;
    const long status = RegQueryValueExW(Hkey(key), Wide(name), nullptr, &valueType, static_cast<BYTE*>(data),
                                         size != nullptr ? &valueSize : nullptr);
    if (type != nullptr) *type = valueType;
    if (size != nullptr) *size = valueSize;
    return TraceStatus("RegQueryValueExW", status);
}

long Win32Platform::SetValue(RegistryKey key, const std::u16string& name, std::uint32_t type, const void* data,
                             std::uint32_t size) {
    return TraceStatus("RegSetValueExW",
                       RegSetValueExW(Hkey(key), Wide(name), 0, type, static_cast<const BYTE*>(data), size));
}

long Win32Platform::DeleteValue(RegistryKey key, const std::u16string& name) {
    return TraceStatus("RegDeleteValueW", RegDeleteValueW(Hkey(key), Wide(name)));
}

long Win32Platform::FlushKey(RegistryKey key) { return TraceStatus("RegFlushKey", RegFlushKey(Hkey(key))); }

long Win32Platform::CloseKey(RegistryKey key) { return TraceStatus("RegCloseKey", RegCloseKey(Hkey(key))); }

// ---- Mouse ----

std::uint32_t Win32Platform::SendMouseEvents(const MouseEvent* events, std::uint32_t count) {
    INPUT inputs[3];
    if (count > 3) count = 3;
    for (std::uint32_t i = 0; i < count; ++i) {
        inputs[i] = INPUT{};
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = events[i].dx;
        inputs[i].mi.dy = events[i].dy;
        inputs[i].mi.mouseData = events[i].mouseData;
        inputs[i].mi.dwFlags = events[i].flags;
        inputs[i].mi.time = events[i].time;
        inputs[i].mi.dwExtraInfo = events[i].extraInfo;
    }
    // The record size is that of this build's INPUT (40 bytes in a 64-bit
    // program); any other size makes the call fail.
    const UINT sent = SendInput(count, inputs, sizeof(INPUT));
    if (sent != count) Trace("SendInput", GetLastError());
    return sent;
}

Point Win32Platform::CursorPosition() {
    POINT p{};
    if (!GetCursorPos(&p)) Trace("GetCursorPos", GetLastError());
    return Point{p.x, p.y};
}

Size Win32Platform::PrimaryScreenSize() { return Size{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// ---- Hotkeys ----

bool Win32Platform::RegisterHotKey(NativeWindow window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) {
    if (::RegisterHotKey(Hwnd(window), id, modifiers, virtualKey)) return true;
    Trace("RegisterHotKey", GetLastError());
    return false;
}

bool Win32Platform::UnregisterHotKey(NativeWindow window, int id) {
    return ::UnregisterHotKey(Hwnd(window), id) != FALSE;
}

// ---- Timers ----

void Win32Platform::SetTimer(NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) {
    if (::SetTimer(Hwnd(window), id, milliseconds, nullptr) == 0) Trace("SetTimer", GetLastError());
}

void Win32Platform::KillTimer(NativeWindow window, std::uintptr_t id) { ::KillTimer(Hwnd(window), id); }

void Win32Platform::BeginPreciseTiming() {
    if (preciseTimingDepth_++ > 0) return;
    KeepTimerResolutionWhenHidden();
    if (CallTimePeriod("timeBeginPeriod", 1) != TIMERR_NOERROR) Trace("timeBeginPeriod", 0);
}

void Win32Platform::EndPreciseTiming() {
    if (preciseTimingDepth_ <= 0) return;
    if (--preciseTimingDepth_ == 0) CallTimePeriod("timeEndPeriod", 1);
}

// ---- Windows ----

NativeWindow Win32Platform::CreateMessageWindow(MessageHandler& handler) {
    // A hidden top-level window rather than a message-only one, so that
    // broadcasts such as "TaskbarCreated" reach it.
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kMessageWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), &handler);
    if (hwnd == nullptr) Trace("CreateWindowExW", GetLastError());
    return reinterpret_cast<NativeWindow>(hwnd);
}

void Win32Platform::DestroyWindow(NativeWindow window) { ::DestroyWindow(Hwnd(window)); }

bool Win32Platform::ShowWindow(NativeWindow window, int command) { return ::ShowWindow(Hwnd(window), command) != FALSE; }

bool Win32Platform::IsWindowVisible(NativeWindow window) { return ::IsWindowVisible(Hwnd(window)) != FALSE; }

bool Win32Platform::SetWindowPos(NativeWindow window, NativeWindow insertAfter, const Rect& rect,
                                 std::uint32_t flags) {
    return ::SetWindowPos(Hwnd(window), Hwnd(insertAfter), rect.left, rect.top, rect.Width(), rect.Height(),
                          flags) != FALSE;
}

std::intptr_t Win32Platform::SendMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                                         std::intptr_t lParam) {
    return ::SendMessageW(Hwnd(window), message, wParam, lParam);
}

bool Win32Platform::PostMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    return ::PostMessageW(Hwnd(window), message, wParam, lParam) != FALSE;
}

int Win32Platform::RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void Win32Platform::PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

// ---- Clock ----

// The performance counter, not GetTickCount64: the tick count moves in steps of
// the default 15.6 ms even while timers run at 1 ms, too coarse to keep clicks
// on their grid.
std::uint64_t Win32Platform::MonotonicMilliseconds() {
    static const std::uint64_t frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? static_cast<std::uint64_t>(f.QuadPart) : 1000;
    }();
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);  // cannot fail since Windows XP
    const auto ticks = static_cast<std::uint64_t>(counter.QuadPart);
    return ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
}

std::int64_t Win32Platform::CalendarTime() { return _time64(nullptr); }

std::int64_t Win32Platform::LocalMidnight(std::int64_t calendarTime) {
    __time64_t t = calendarTime;
    struct tm local {};
    if (_localtime64_s(&local, &t) != 0) return calendarTime;
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    return _mktime64(&local);
}

}  // namespace zintra::platform::win32
