// The process services on Linux: the single-instance lock and the working
// folder; there is no component model to start.
#pragma once

#include <memory>
#include <vector>

#include "platform/Process.h"
#include "platform/linux/SingleInstanceLock.h"

namespace zintra::platform::linux_x11 {

class LinuxProcess final : public Process {
public:
    // False only when another instance of this user holds the lock; without
    // a safe place for the lock the program runs, as without a mutex.
    bool CreateSingleInstanceMutex(const std::u16string& name) override;
    bool SetCurrentDirectory(const std::u16string& path) override;
    void InitializeComponents() override {}
    void UninitializeComponents() override {}

private:
    std::vector<std::unique_ptr<SingleInstanceLock>> locks_;
};

}  // namespace zintra::platform::linux_x11
