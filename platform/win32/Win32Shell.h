// The shell services on Windows.
#pragma once

#include "platform/Shell.h"

namespace zintra::platform::win32 {

class Win32Shell final : public Shell {
public:
    bool NotifyIcon(TrayAction action, const TrayIconData& data) override;
    std::uint32_t RegisterWindowMessage(const std::u16string& name) override;
    bool SetForegroundWindow(NativeWindow window) override;
    bool OpenUrl(const std::u16string& url) override;
    std::intptr_t StartInstaller(const std::string& path) override;
};

}  // namespace zintra::platform::win32
