// The simulated process: mutexes that other simulated instances may hold, and
// the working directory.
#pragma once

#include <set>
#include <string>

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

    // ---- Test controls ----
    // Another instance holds the mutex.
    void HoldMutex(const std::u16string& name) { mutexes_.insert(name); }
    bool MutexHeld(const std::u16string& name) const { return mutexes_.count(name) > 0; }
    const std::u16string& CurrentDirectory() const { return currentDirectory_; }
    int ComponentsDepth() const { return componentsDepth_; }

private:
    std::set<std::u16string> mutexes_;
    std::u16string currentDirectory_;
    int componentsDepth_ = 0;
};

}  // namespace zintra::sim
