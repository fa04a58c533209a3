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
                            public Clock {
public:

    Registry& GetRegistry() override { return *this; }
    MouseInput& GetMouseInput() override { return *this; }
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
    Rect VirtualDesktop() override;

    std::uint64_t MonotonicMilliseconds() override;
    std::int64_t CalendarTime() override;
    std::int64_t LocalMidnight(std::int64_t calendarTime) override;

private:
    Win32Shell shell_;
    Win32Keyboard keyboard_;
    Win32Process process_;
    Win32System system_;
};

}  // namespace zintra::platform::win32
