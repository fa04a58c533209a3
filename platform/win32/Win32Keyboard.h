// The keyboard on Windows.
#pragma once

#include "platform/Keyboard.h"

namespace zintra::platform::win32 {

class Win32Keyboard final : public Keyboard {
public:
    bool IsKeyDown(std::uint32_t virtualKey) override;
    std::uint32_t VirtualKeyToChar(std::uint32_t virtualKey) override;
};

}  // namespace zintra::platform::win32
