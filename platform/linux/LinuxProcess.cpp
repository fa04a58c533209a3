#include "platform/linux/LinuxProcess.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "platform/Messages.h"
#include "platform/linux/TextConversion.h"

namespace zintra::platform::linux_x11 {

namespace {

// How long a second start waits for the running instance to answer (it may be starting too).
constexpr int kAnswerMilliseconds = 5000;

// The request travels to the window as the message's wParam.
static_assert(static_cast<std::uintptr_t>(InstanceRequest::Show) == 0);
static_assert(static_cast<std::uintptr_t>(InstanceRequest::Toggle) == msg::kRunToggle);
static_assert(static_cast<std::uintptr_t>(InstanceRequest::Start) == msg::kRunStart);
static_assert(static_cast<std::uintptr_t>(InstanceRequest::Stop) == msg::kRunStop);

}  // namespace

bool LinuxProcess::CreateSingleInstanceMutex(const std::u16string& name) {
    // A second lock of the same process is a new descriptor: flock holds it apart.
    auto lock = std::make_unique<SingleInstanceLock>();
    const LockResult result = lock->Acquire(name);
    if (result == LockResult::HeldByUs) heldElsewhere_[name] = lock->Path();
    if (result == LockResult::Acquired) {
        if (!listening_) {
            listening_ = channel_.Listen(InstanceSocketPath(lock->Path()));
            if (!listening_) std::fputs("zintra: a second start cannot reach this one (no socket)\n", stderr);
            channel_.OnRequest([this](InstanceRequest request) {
                return loop_ != nullptr && window_ != 0 &&
                       loop_->PostMessage(window_, message_, static_cast<std::uintptr_t>(request), 0);
            });
        }
        locks_.push_back(std::move(lock));
    }
    return result != LockResult::HeldByUs;
}

bool LinuxProcess::AskRunningInstanceToShow(const std::u16string& name) {
    const auto held = heldElsewhere_.find(name);
    if (held == heldElsewhere_.end()) return false;
    if (InstanceChannel::AskToShow(InstanceSocketPath(held->second), kAnswerMilliseconds)) return true;
    std::fputs("zintra: already running, and the running instance did not answer\n", stderr);
    return false;
}

InstanceReply LinuxProcess::AskRunningInstance(const std::u16string& name, InstanceRequest request) {
    // A command is for an instance that runs now: no waiting for one to start.
    InstanceReply reply = InstanceReply::NobodyListens;
    for (const std::string& lock : SingleInstanceLockPlaces(name)) {
        reply = InstanceChannel::Ask(InstanceSocketPath(lock), request, 0, kAnswerMilliseconds);
        if (reply != InstanceReply::NobodyListens) return reply;
    }
    return reply;
}

void LinuxProcess::AcceptShowRequests(NativeWindow window, std::uint32_t message) {
    window_ = window;
    message_ = message;
}

bool LinuxProcess::SetCurrentDirectory(const std::u16string& path) { return ::chdir(ToUtf8(path).c_str()) == 0; }

}  // namespace zintra::platform::linux_x11
