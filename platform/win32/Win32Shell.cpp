#include "platform/win32/Win32Shell.h"

#include "platform/win32/WindowsApi.h"

#include <shellapi.h>

#include <cstring>

namespace zintra::platform::win32 {

namespace {

template <std::size_t N, std::size_t M>
void CopyField(WCHAR (&to)[N], const char16_t (&from)[M]) {
    static_assert(N == M, "the record's text fields match the platform's");
    std::memcpy(to, from, sizeof(to));
    to[N - 1] = L'\0';
}

}  // namespace

bool Win32Shell::NotifyIcon(TrayAction action, const TrayIconData& data) {
    NOTIFYICONDATAW record{};
    record.cbSize = data.sized ? sizeof(record) : 0;
    record.hWnd = reinterpret_cast<HWND>(data.window);
    record.uID = data.id;
    record.uFlags = data.flags;
    record.uCallbackMessage = data.callbackMessage;
    record.hIcon = reinterpret_cast<HICON>(data.icon);
    CopyField(record.szTip, data.tip);
    CopyField(record.szInfo, data.info);
    CopyField(record.szInfoTitle, data.infoTitle);
    record.uTimeout = data.timeout;
    record.dwInfoFlags = data.infoFlags;
    const DWORD message = action == TrayAction::Add ? NIM_ADD : action == TrayAction::Modify ? NIM_MODIFY : NIM_DELETE;
    if (Shell_NotifyIconW(message, &record)) return true;
    OutputDebugStringA("zintra: Shell_NotifyIconW failed\n");
    return false;
}

std::uint32_t Win32Shell::RegisterWindowMessage(const std::u16string& name) {
    return RegisterWindowMessageW(reinterpret_cast<const wchar_t*>(name.c_str()));
}

bool Win32Shell::SetForegroundWindow(NativeWindow window) {
    return ::SetForegroundWindow(reinterpret_cast<HWND>(window)) != FALSE;
}

bool Win32Shell::OpenUrl(const std::u16string& url) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"OPEN", reinterpret_cast<const wchar_t*>(url.c_str()), L"", nullptr, SW_SHOW));
    return result > 32;
}

std::intptr_t Win32Shell::StartInstaller(const std::string& path) {
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", path.c_str(), "", nullptr, SW_SHOWNORMAL));
}

}  // namespace zintra::platform::win32
