#include "platform/win32/Win32Process.h"

#include "platform/win32/WindowsApi.h"

#include <ole2.h>

namespace zintra::platform::win32 {

bool Win32Process::CreateSingleInstanceMutex(const std::u16string& name) {
    // The handle is deliberately kept: the mutex marks this instance until it ends.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(name.c_str()));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (mutex != nullptr) CloseHandle(mutex);
        return false;
    }
    if (mutex == nullptr) OutputDebugStringA("zintra: CreateMutexW failed\n");
    return true;
}

bool Win32Process::SetCurrentDirectory(const std::u16string& path) {
    return SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(path.c_str())) != FALSE;
}

void Win32Process::InitializeComponents() { OleInitialize(nullptr); }

void Win32Process::UninitializeComponents() { OleUninitialize(); }

}  // namespace zintra::platform::win32
