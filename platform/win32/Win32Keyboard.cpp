#include "platform/win32/Win32Keyboard.h"

#include "platform/win32/WindowsApi.h"

namespace zintra::platform::win32 {

bool Win32Keyboard::IsKeyDown(std::uint32_t virtualKey) {
    return (GetKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0;
}

std::uint32_t Win32Keyboard::VirtualKeyToChar(std::uint32_t virtualKey) {
    // The high bit marks a dead key; the character is in the low word.
    return MapVirtualKeyA(virtualKey, MAPVK_VK_TO_CHAR) & 0xFFFF;
}

}  // namespace zintra::platform::win32
