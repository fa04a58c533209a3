// A key-combination capture control ("hotkey"). While focused it takes every
// key (Tab excepted, which moves the focus) and turns presses and releases
// into one combination with its label ("无" while empty); each change raises
// EventSetHotKey.
#pragma once

#include <cstdint>
#include <memory>

#include "ui/core/SWindow.h"

namespace zintra::ui {

class HotKeyCapture;

class SHotKeyCtrl : public SWindow {
    ZUI_CLASS_NAME(SWindow, "hotkey")
public:
    SHotKeyCtrl();
    ~SHotKeyCtrl() override;
    std::optional<AccessibleRole> GetAccessibleRole() const override;
    std::optional<std::u16string> GetAccessibleValue() const override;
    void GetHotKey(std::uint16_t& virtualKey, std::uint16_t& modifiers) const;
    void SetHotKey(std::uint16_t virtualKey, std::uint16_t modifiers);

    bool OnKeyDown(std::uint32_t virtualKey, std::uint32_t flags) override;
    bool OnKeyUp(std::uint32_t virtualKey, std::uint32_t flags) override;
    bool OnSysKeyDown(std::uint32_t virtualKey, std::uint32_t flags) override;
    bool OnSysKeyUp(std::uint32_t virtualKey, std::uint32_t flags) override;
    bool OnChar(char16_t character) override;

private:
    void Changed(std::uint16_t virtualKey, std::uint16_t modifiers);

    std::unique_ptr<HotKeyCapture> capture_;
    std::uint16_t virtualKey_ = 0;
    std::uint16_t modifiers_ = 0;
};

}  // namespace zintra::ui
