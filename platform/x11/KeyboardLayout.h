// Which virtual key each typing key of the active keyboard layout is, so a
// stored hotkey means the same key on every layout, as on Windows: the digit
// row is '0'..'9' and a key that types a Latin letter is that letter, the
// rest keep the code of the key in the same place on a US keyboard (the OEM
// codes). Built from XKB's key names, so no display is needed to test it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zintra::platform::x11 {

// A key as XKB describes it: its code, its place ("AE01" is the key right
// of the tilde key) and the keysym the active group gives it unshifted.
struct LayoutKey {
    unsigned int keycode = 0;
    std::string position;
    unsigned long keysym = 0;
    friend bool operator==(const LayoutKey&, const LayoutKey&) = default;
};

class KeyboardLayout {
public:
    KeyboardLayout() = default;
    explicit KeyboardLayout(const std::vector<LayoutKey>& keys);

    // True for the virtual keys of typing keys, which only this table maps.
    static bool IsTypingKey(std::uint32_t virtualKey);

    // 0 when no key of the layout is that virtual key, or the key is no typing key.
    unsigned int KeycodeOf(std::uint32_t virtualKey) const;
    std::uint32_t VirtualKeyOf(unsigned int keycode) const;
    // The keysym the key types unshifted, 0 for none.
    unsigned long KeysymOf(std::uint32_t virtualKey) const;

    friend bool operator==(const KeyboardLayout&, const KeyboardLayout&) = default;

private:
    void Assign(const LayoutKey& key, std::uint32_t virtualKey);

    std::map<std::uint32_t, LayoutKey> keys_;      // by virtual key
    std::map<unsigned int, std::uint32_t> codes_;  // virtual key by keycode
};

}  // namespace zintra::platform::x11
