// The keyboard as the hotkey capture reads it: which keys are down right now,
// and which character the active layout gives a key.
#pragma once

#include <cstdint>

namespace zintra::platform {

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // GetKeyState's pressed bit for the message being handled.
    virtual bool IsKeyDown(std::uint32_t virtualKey) = 0;
    // MapVirtualKeyA with MAPVK_VK_TO_CHAR: the unshifted character, 0 for none.
    virtual std::uint32_t VirtualKeyToChar(std::uint32_t virtualKey) = 0;
};

}  // namespace zintra::platform
