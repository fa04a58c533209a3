#include "platform/win32/Win32Platform.h"

#include "platform/win32/WindowsApi.h"

#include <cstdio>
#include <ctime>

namespace zintra::platform::win32 {

namespace {

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
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

}  // namespace

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

Rect Win32Platform::VirtualDesktop() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return Rect{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

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
