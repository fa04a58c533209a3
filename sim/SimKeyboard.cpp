#include "sim/SimKeyboard.h"

namespace zintra::sim {

std::uint32_t SimKeyboard::VirtualKeyToChar(std::uint32_t virtualKey) {
    if (const auto own = characters_.find(virtualKey); own != characters_.end()) return own->second;
    if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
    if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey;
    switch (virtualKey) {
        case 0x08: return 8;     // Backspace
        case 0x09: return 9;     // Tab
        case 0x0D: return 13;    // Enter
        case 0x1B: return 27;    // Esc
        case 0x20: return ' ';
        case 0x6A: return '*';
        case 0x6B: return '+';
        case 0x6D: return '-';   // keypad minus
        case 0x6E: return '.';   // keypad decimal
        case 0x6F: return '/';
        case 0xBA: return ';';
        case 0xBB: return '=';
        case 0xBC: return ',';
        case 0xBD: return '-';
        case 0xBE: return '.';
        case 0xBF: return '/';
        case 0xC0: return '`';
        case 0xDB: return '[';
        case 0xDC: return '\\';
        case 0xDD: return ']';
        case 0xDE: return '\'';
        default: return 0;
    }
}

}  // namespace zintra::sim
