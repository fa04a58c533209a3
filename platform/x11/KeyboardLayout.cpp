#include "platform/x11/KeyboardLayout.h"

#include <X11/keysym.h>

#include <array>

namespace zintra::platform::x11 {

namespace {

struct Place {
    const char* position;
    std::uint32_t virtualKey;  // of the key in that place on a US keyboard
};

// Every typing key: its XKB name and the virtual key a US layout gives it.
constexpr Place kPlaces[] = {
    {"TLDE", 0xC0}, {"AE01", '1'}, {"AE02", '2'}, {"AE03", '3'}, {"AE04", '4'}, {"AE05", '5'}, {"AE06", '6'},
    {"AE07", '7'}, {"AE08", '8'}, {"AE09", '9'}, {"AE10", '0'}, {"AE11", 0xBD}, {"AE12", 0xBB},
    {"AD01", 'Q'}, {"AD02", 'W'}, {"AD03", 'E'}, {"AD04", 'R'}, {"AD05", 'T'}, {"AD06", 'Y'}, {"AD07", 'U'},
    {"AD08", 'I'}, {"AD09", 'O'}, {"AD10", 'P'}, {"AD11", 0xDB}, {"AD12", 0xDD}, {"BKSL", 0xDC},
    {"AC01", 'A'}, {"AC02", 'S'}, {"AC03", 'D'}, {"AC04", 'F'}, {"AC05", 'G'}, {"AC06", 'H'}, {"AC07", 'J'},
    {"AC08", 'K'}, {"AC09", 'L'}, {"AC10", 0xBA}, {"AC11", 0xDE},
    {"AB01", 'Z'}, {"AB02", 'X'}, {"AB03", 'C'}, {"AB04", 'V'}, {"AB05", 'B'}, {"AB06", 'N'}, {"AB07", 'M'},
    {"AB08", 0xBC}, {"AB09", 0xBE}, {"AB10", 0xBF}, {"LSGT", 0xE2},
};

// Codes for a key whose US code another key took (a letter moved there).
constexpr std::array<std::uint32_t, 14> kSpareCodes = {0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0,
                                                       0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xE1, 0xE2};

const Place* PlaceOf(const std::string& position) {
    for (const Place& place : kPlaces) {
        if (position == place.position) return &place;
    }
    return nullptr;
}

std::uint32_t LetterOf(unsigned long keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return static_cast<std::uint32_t>('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z) return static_cast<std::uint32_t>('A' + (keysym - XK_A));
    return 0;
}

bool IsDigitRow(std::uint32_t virtualKey) { return virtualKey >= '0' && virtualKey <= '9'; }

}  // namespace

KeyboardLayout::KeyboardLayout(const std::vector<LayoutKey>& keys) {
    // First the digit row by place and every key that types a Latin letter...
    std::vector<const LayoutKey*> others;
    for (const LayoutKey& key : keys) {
        const Place* place = PlaceOf(key.position);
        if (place == nullptr || key.keycode == 0) continue;
        const std::uint32_t letter = LetterOf(key.keysym);
        if (IsDigitRow(place->virtualKey)) {
            Assign(key, place->virtualKey);
        } else if (letter != 0 && !keys_.count(letter)) {
            Assign(key, letter);
        } else {
            others.push_back(&key);
        }
    }
    // ...then the rest in their US places, or a spare code where a letter sits.
    std::vector<const LayoutKey*> displaced;
    for (const LayoutKey* key : others) {
        const std::uint32_t us = PlaceOf(key->position)->virtualKey;
        if (!keys_.count(us)) {
            Assign(*key, us);
        } else {
            displaced.push_back(key);
        }
    }
    for (const LayoutKey* key : displaced) {
        for (std::uint32_t code : kSpareCodes) {
            if (keys_.count(code)) continue;
            Assign(*key, code);
            break;
        }
    }
}

void KeyboardLayout::Assign(const LayoutKey& key, std::uint32_t virtualKey) {
    keys_[virtualKey] = key;
    codes_[key.keycode] = virtualKey;
}

bool KeyboardLayout::IsTypingKey(std::uint32_t virtualKey) {
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) return true;
    for (std::uint32_t code : kSpareCodes) {
        if (code == virtualKey) return true;
    }
    return false;
}

unsigned int KeyboardLayout::KeycodeOf(std::uint32_t virtualKey) const {
    const auto it = keys_.find(virtualKey);
    return it != keys_.end() ? it->second.keycode : 0;
}

std::uint32_t KeyboardLayout::VirtualKeyOf(unsigned int keycode) const {
    const auto it = codes_.find(keycode);
    return it != codes_.end() ? it->second : 0;
}

unsigned long KeyboardLayout::KeysymOf(std::uint32_t virtualKey) const {
    const auto it = keys_.find(virtualKey);
    return it != keys_.end() ? it->second.keysym : 0;
}

}  // namespace zintra::platform::x11
