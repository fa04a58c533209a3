// The real platform: every interface implemented with the Windows API.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/Win32Keyboard.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32System.h"

namespace zintra::platform::win32 {

class Win32Platform final : public Platform,
                            public Registry,
                            public MouseInput,
                            public Hotkeys,
                            public Timers,
                            public WindowSystem,
                            public Clock {
public:
    Win32Platform();
    ~Win32Platform() override;

    Registry& GetRegistry() override { return *this; }
    MouseInput& GetMouseInput() override { return *this; }
    Hotkeys& GetHotkeys() override { return *this; }
    Timers& GetTimers() override { return *this; }
    WindowSystem& GetWindowSystem() override { return *this; }
    Clock& GetClock() override { return *this; }
    Shell& GetShell() override { return shell_; }
    Keyboard& GetKeyboard() override { return keyboard_; }
    Process& GetProcess() override { return process_; }
    System& GetSystem() override { return system_; }

    long OpenKey(RegistryRoot root, const std::u16string& subkey, RegistryKey* key) override;
    long CreateKey(RegistryRoot root, const std::u16string& subkey, RegistryKey* key) override;
    long QueryValue(RegistryKey key, const std::u16string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override;
    long SetValue(RegistryKey key, const std::u16string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override;
    long DeleteValue(RegistryKey key, const std::u16string& name) override;
    long FlushKey(RegistryKey key) override;
    long CloseKey(RegistryKey key) override;

    std::uint32_t SendMouseEvents(const MouseEvent* events, std::uint32_t count) override;
    Point CursorPosition() override;
    Size PrimaryScreenSize() override;

    bool RegisterHotKey(NativeWindow window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    bool UnregisterHotKey(NativeWindow window, int id) override;

    void SetTimer(NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) override;
    void KillTimer(NativeWindow window, std::uintptr_t id) override;
    void BeginPreciseTiming() override;
    void EndPreciseTiming() override;

    NativeWindow CreateMessageWindow(MessageHandler& handler) override;
    void DestroyWindow(NativeWindow window) override;
    bool ShowWindow(NativeWindow window, int command) override;
    bool IsWindowVisible(NativeWindow window) override;
    bool SetWindowPos(NativeWindow window, NativeWindow insertAfter, const Rect& rect, std::uint32_t flags) override;
    std::intptr_t SendMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    bool PostMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    int RunMessageLoop() override;
    void PostQuitMessage(int exitCode) override;

    std::uint64_t MonotonicMilliseconds() override;
    std::int64_t CalendarTime() override;
    std::int64_t LocalMidnight(std::int64_t calendarTime) override;

private:
    int preciseTimingDepth_ = 0;
    Win32Shell shell_;
    Win32Keyboard keyboard_;
    Win32Process process_;
    Win32System system_;
};

}  // namespace zintra::platform::win32
