// Process-wide services on Windows.
#pragma once

#include "platform/Process.h"

namespace zintra::platform::win32 {

class Win32Process final : public Process {
public:
    bool CreateSingleInstanceMutex(const std::u16string& name) override;
    bool SetCurrentDirectory(const std::u16string& path) override;
    void InitializeComponents() override;
    void UninitializeComponents() override;
};

}  // namespace zintra::platform::win32
