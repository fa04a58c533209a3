// The simulated keyboard: a US layout and key states the test sets.
#pragma once

#include <set>

#include "platform/Keyboard.h"

namespace zintra::sim {

class SimKeyboard final : public platform::Keyboard {
public:
    bool IsKeyDown(std::uint32_t virtualKey) override { return down_.count(virtualKey) > 0; }
    std::uint32_t VirtualKeyToChar(std::uint32_t virtualKey) override;

    void SetKeyDown(std::uint32_t virtualKey, bool down) {
        if (down) {
            down_.insert(virtualKey);
        } else {
            down_.erase(virtualKey);
        }
    }

private:
    std::set<std::uint32_t> down_;
};

}  // namespace zintra::sim
