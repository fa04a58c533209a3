// The simulated keyboard: a US layout, characters of other layouts and key
// states the test sets.
#pragma once

#include <map>
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

    // The character a key types from now on, as another layout gives it.
    void SetCharacter(std::uint32_t virtualKey, std::uint32_t character) { characters_[virtualKey] = character; }

private:
    std::set<std::uint32_t> down_;
    std::map<std::uint32_t, std::uint32_t> characters_;
};

}  // namespace zintra::sim
