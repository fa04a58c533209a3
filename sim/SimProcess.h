// The simulated process: mutexes that other simulated instances may hold, and
// the working directory.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/Process.h"

namespace zintra::sim {

class SimProcess final : public platform::Process {
public:
    bool CreateSingleInstanceMutex(const std::u16string& name) override {
        return mutexes_.insert(name).second;
    }
    bool SetCurrentDirectory(const std::u16string& path) override {
        currentDirectory_ = path;
        return true;
    }
    void InitializeComponents() override { ++componentsDepth_; }
    void UninitializeComponents() override { --componentsDepth_; }
    bool AskRunningInstanceToShow(const std::u16string& name) override {
        askedToShow_.push_back(name);
        return mutexes_.count(name) > 0;
    }
    void AcceptShowRequests(platform::NativeWindow window, std::uint32_t message) override {
        showRequestWindow_ = window;
        showRequestMessage_ = message;
    }

    // ---- Test controls ----
    // Another instance holds the mutex.
    void HoldMutex(const std::u16string& name) { mutexes_.insert(name); }
    bool MutexHeld(const std::u16string& name) const { return mutexes_.count(name) > 0; }
    const std::u16string& CurrentDirectory() const { return currentDirectory_; }
    int ComponentsDepth() const { return componentsDepth_; }
    // The mutexes whose holder a second start asked to show its window.
    const std::vector<std::u16string>& AskedToShow() const { return askedToShow_; }
    // Where a second start's request would arrive: the window and the message.
    platform::NativeWindow ShowRequestWindow() const { return showRequestWindow_; }
    std::uint32_t ShowRequestMessage() const { return showRequestMessage_; }

private:
    std::set<std::u16string> mutexes_;
    std::u16string currentDirectory_;
    int componentsDepth_ = 0;
    std::vector<std::u16string> askedToShow_;
    platform::NativeWindow showRequestWindow_ = 0;
    std::uint32_t showRequestMessage_ = 0;
};

}  // namespace zintra::sim
