// A key-combination capture control ("hotkey"). It holds a virtual key and
// modifier flags and shows their label ("无" while empty).
// FIXME: capturing key presses comes with the custom hotkey dialog; until
// then the combination is only set from code.
#pragma once

#include <cstdint>

#include "ui/SWindow.h"

namespace zintra::ui {

class SHotKeyCtrl : public SWindow {
    ZUI_CLASS_NAME(SWindow, "hotkey")
public:
    SHotKeyCtrl();
    void GetHotKey(std::uint16_t& virtualKey, std::uint16_t& modifiers) const;
    // Stores the combination and its label, and raises EventSetHotKey.
    void SetHotKey(std::uint16_t virtualKey, std::uint16_t modifiers, const std::u16string& label);

private:
    std::uint16_t virtualKey_ = 0;
    std::uint16_t modifiers_ = 0;
};

}  // namespace zintra::ui
