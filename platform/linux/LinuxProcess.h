// The process services on Linux: the single-instance lock with the channel
// on which a second start asks for the main window (and the run commands
// ask for a start or a stop), and the working folder;
// there is no component model to start.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/Process.h"
#include "platform/linux/DesktopLoop.h"
#include "platform/linux/InstanceChannel.h"
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
    bool AskRunningInstanceToShow(const std::u16string& name) override;
    void AcceptShowRequests(NativeWindow window, std::uint32_t message) override;

    // `zintra --toggle` and its kin: sends `request` to the running instance
    // of the lock `name` without taking the lock, waiting for nobody to start.
    static InstanceReply AskRunningInstance(const std::u16string& name, InstanceRequest request);

    // The loop that the requests are posted into; null detaches it.
    void Attach(DesktopLoop* loop) { loop_ = loop; }
    // The channel's socket, for the loop to watch.
    EventSource& Requests() { return channel_; }

private:
    std::vector<std::unique_ptr<SingleInstanceLock>> locks_;
    std::map<std::u16string, std::string> heldElsewhere_;  // lock files other instances hold
    // The first lock's: the program takes one, and one window answers.
    InstanceChannel channel_;
    bool listening_ = false;
    DesktopLoop* loop_ = nullptr;
    NativeWindow window_ = 0;
    std::uint32_t message_ = 0;
};

}  // namespace zintra::platform::linux_x11
