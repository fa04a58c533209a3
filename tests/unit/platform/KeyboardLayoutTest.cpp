#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/x11/KeyboardLayout.h"

namespace zintra::platform::x11 {
namespace {

// The typing keys in rows as XKB names them, with their codes on a PC keyboard (evdev).
std::vector<std::pair<std::string, unsigned int>> TypingKeys() {
    std::vector<std::pair<std::string, unsigned int>> keys{{"TLDE", 49}};
    for (unsigned int i = 1; i <= 12; ++i) keys.push_back({"AE" + std::string(i < 10 ? "0" : "") + std::to_string(i), 9 + i});
    for (unsigned int i = 1; i <= 12; ++i) keys.push_back({"AD" + std::string(i < 10 ? "0" : "") + std::to_string(i), 23 + i});
    keys.push_back({"BKSL", 51});
    for (unsigned int i = 1; i <= 11; ++i) keys.push_back({"AC" + std::string(i < 10 ? "0" : "") + std::to_string(i), 37 + i});
    for (unsigned int i = 1; i <= 10; ++i) keys.push_back({"AB" + std::string(i < 10 ? "0" : "") + std::to_string(i), 51 + i});
    keys.push_back({"LSGT", 94});
    return keys;
}

// A layout from the unshifted keysym names of the typing keys in that order (xkeyboard-config's).
KeyboardLayout Layout(const std::string& keysymNames) {
    std::istringstream names(keysymNames);
    std::vector<LayoutKey> keys;
    for (const auto& [position, code] : TypingKeys()) {
        std::string name;
        names >> name;
        const KeySym keysym = XStringToKeysym(name.c_str());
        EXPECT_NE(keysym, static_cast<KeySym>(NoSymbol)) << name;
        keys.push_back({code, position, keysym});
    }
    keys.push_back({9, "ESC", XK_Escape});  // no typing key: left to the keysym table
    return KeyboardLayout(keys);
}

const KeyboardLayout& Us() {
    static const KeyboardLayout layout = Layout(
        "grave 1 2 3 4 5 6 7 8 9 0 minus equal q w e r t y u i o p bracketleft bracketright backslash "
        "a s d f g h j k l semicolon apostrophe z x c v b n m comma period slash less");
    return layout;
}
const KeyboardLayout& German() {
    static const KeyboardLayout layout = Layout(
        "dead_circumflex 1 2 3 4 5 6 7 8 9 0 ssharp dead_acute q w e r t z u i o p udiaeresis plus numbersign "
        "a s d f g h j k l odiaeresis adiaeresis y x c v b n m comma period minus less");
    return layout;
}
const KeyboardLayout& French() {
    static const KeyboardLayout layout = Layout(
        "twosuperior ampersand eacute quotedbl apostrophe parenleft minus egrave underscore ccedilla agrave "
        "parenright equal a z e r t y u i o p dead_circumflex dollar asterisk q s d f g h j k l m ugrave "
        "w x c v b n comma semicolon colon exclam less");
    return layout;
}
const KeyboardLayout& Russian() {
    static const KeyboardLayout layout = Layout(
        "Cyrillic_io 1 2 3 4 5 6 7 8 9 0 minus equal Cyrillic_shorti Cyrillic_tse Cyrillic_u Cyrillic_ka "
        "Cyrillic_ie Cyrillic_en Cyrillic_ghe Cyrillic_sha Cyrillic_shcha Cyrillic_ze Cyrillic_ha Cyrillic_hardsign "
        "backslash Cyrillic_ef Cyrillic_yeru Cyrillic_ve Cyrillic_a Cyrillic_pe Cyrillic_er Cyrillic_o Cyrillic_el "
        "Cyrillic_de Cyrillic_zhe Cyrillic_e Cyrillic_ya Cyrillic_che Cyrillic_es Cyrillic_em Cyrillic_i Cyrillic_te "
        "Cyrillic_softsign Cyrillic_be Cyrillic_yu period slash");
    return layout;
}

TEST(KeyboardLayout, EveryTypingKeyIsOneVirtualKeyAndBackOnEachLayout) {
    for (const KeyboardLayout* layout : {&Us(), &German(), &French(), &Russian()}) {
        std::set<std::uint32_t> seen;
        for (const auto& [position, code] : TypingKeys()) {
            const std::uint32_t vk = layout->VirtualKeyOf(code);
            ASSERT_NE(vk, 0u) << position;
            EXPECT_TRUE(KeyboardLayout::IsTypingKey(vk)) << position;
            EXPECT_TRUE(seen.insert(vk).second) << position << " shares " << vk;
            EXPECT_EQ(layout->KeycodeOf(vk), code) << position;
        }
        EXPECT_EQ(layout->VirtualKeyOf(9), 0u);  // Escape is no typing key
    }
}

TEST(KeyboardLayout, TheDigitRowKeepsItsDigitsAndLettersFollowTheLayout) {
    // US: every key where its cap says.
    EXPECT_EQ(Us().KeycodeOf('1'), 10u);
    EXPECT_EQ(Us().KeycodeOf('Q'), 24u);
    EXPECT_EQ(Us().KeycodeOf(0xBD), 20u);
    EXPECT_EQ(Us().KeysymOf(0xBD), static_cast<unsigned long>(XK_minus));
    // French: '1' is the key that types &, A and Q swap places, M sits right of L.
    EXPECT_EQ(French().KeycodeOf('1'), 10u);
    EXPECT_EQ(French().KeysymOf('1'), static_cast<unsigned long>(XK_ampersand));
    EXPECT_EQ(French().KeycodeOf('7'), 16u);
    EXPECT_EQ(French().KeycodeOf('A'), 24u);
    EXPECT_EQ(French().KeycodeOf('Q'), 38u);
    EXPECT_EQ(French().KeycodeOf('M'), 47u);
    // German: Z and Y swap places.
    EXPECT_EQ(German().KeycodeOf('Z'), 29u);
    EXPECT_EQ(German().KeycodeOf('Y'), 52u);
    // Russian types no Latin letter: letters are where the US ones are.
    EXPECT_EQ(Russian().KeycodeOf('Q'), 24u);
    EXPECT_EQ(Russian().KeysymOf('Q'), static_cast<unsigned long>(XK_Cyrillic_shorti));
}

TEST(KeyboardLayout, OtherKeysKeepTheirUsCodesOrTakeASpareOne) {
    // German ß, ö and ü are the OEM codes of the US keys in their places.
    EXPECT_EQ(German().VirtualKeyOf(20), 0xBDu);
    EXPECT_EQ(German().KeysymOf(0xBD), static_cast<unsigned long>(XK_ssharp));
    EXPECT_EQ(German().VirtualKeyOf(47), 0xBAu);
    EXPECT_EQ(German().KeysymOf(0xBA), static_cast<unsigned long>(XK_odiaeresis));
    EXPECT_EQ(German().VirtualKeyOf(34), 0xDBu);
    EXPECT_EQ(Russian().VirtualKeyOf(47), 0xBAu);
    EXPECT_EQ(Russian().KeysymOf(0xBA), static_cast<unsigned long>(XK_Cyrillic_zhe));
    // French M took the US ';' key's place, so the comma key (the US M key) takes a spare code.
    const std::uint32_t comma = French().VirtualKeyOf(58);
    EXPECT_NE(comma, static_cast<std::uint32_t>('M'));
    EXPECT_EQ(French().KeysymOf(comma), static_cast<unsigned long>(XK_comma));
    EXPECT_EQ(French().KeycodeOf(0xE3), 0u);  // no key has a code beyond the spares
}

}  // namespace
}  // namespace zintra::platform::x11
