#include "platform/linux/LinuxProcess.h"

#include <unistd.h>

#include <memory>

#include "platform/linux/TextConversion.h"

namespace zintra::platform::linux_x11 {

bool LinuxProcess::CreateSingleInstanceMutex(const std::u16string& name) {
    // A second lock of the same process is a new descriptor: flock holds it apart.
    auto lock = std::make_unique<SingleInstanceLock>();
    const LockResult result = lock->Acquire(name);
    if (result == LockResult::Acquired) locks_.push_back(std::move(lock));
    return result != LockResult::HeldByUs;
}

bool LinuxProcess::SetCurrentDirectory(const std::u16string& path) { return ::chdir(ToUtf8(path).c_str()) == 0; }

}  // namespace zintra::platform::linux_x11
