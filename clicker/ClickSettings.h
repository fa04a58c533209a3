// Every choice the user makes, as one fixed 424-byte record stored byte for
// byte as the registry value MouseData. The in-memory layout is the stored
// layout, so loading and saving are plain copies.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Registry.h"

namespace zintra {

inline constexpr std::size_t kClickSettingsSize = 424;
inline constexpr std::size_t kHotkeyTextUnits = 64;

enum ClickType : std::int32_t {
    kClickLeft = 0,
    kClickRight = 1,
    kClickLeftLongPress = 2,
};

struct ClickSettings {
    std::uint8_t useRandomTime = 0;
    std::uint8_t useFixedPos = 0;
    std::uint8_t useLimitCount = 0;
    std::uint8_t closeRightTip = 0;
    std::uint8_t hideMain = 0;
    std::uint8_t autoRun = 0;
    std::uint8_t reserved6[2] = {};
    std::int32_t clickType = kClickLeft;
    float interval = 0.1f;
    std::uint32_t hotkeyVk = 119;  // F8
    std::uint32_t hotkeyModifiers = 0;
    std::int32_t randomMax = 1;
    std::int32_t posX = 0;
    std::int32_t posY = 0;
    std::int32_t limitCount = 0;
    char16_t hotkeyText[kHotkeyTextUnits] = {};
    std::uint8_t reserved168[128] = {};
    std::uint8_t reserved296[128] = {};

    // The label up to its NUL, or up to the 64th unit when a stored value has none.
    std::u16string HotkeyText() const;
    // Copies at most 63 units and terminates.
    void SetHotkeyText(std::u16string_view text);

    // Loads MouseData over this record. Returns false when the program's key can
    // be neither opened nor created (the record is then left untouched).
    bool Load(platform::Registry& registry);
    // Writes all 424 bytes; returns whether the value was written.
    bool Save(platform::Registry& registry) const;
    // Writes the record into an already open key and flushes it on success.
    bool WriteTo(platform::Registry& registry, platform::RegistryKey key) const;
};

static_assert(std::endian::native == std::endian::little, "the stored record is little-endian");
static_assert(sizeof(ClickSettings) == kClickSettingsSize);
static_assert(offsetof(ClickSettings, useRandomTime) == 0);
static_assert(offsetof(ClickSettings, useFixedPos) == 1);
static_assert(offsetof(ClickSettings, useLimitCount) == 2);
static_assert(offsetof(ClickSettings, closeRightTip) == 3);
static_assert(offsetof(ClickSettings, hideMain) == 4);
static_assert(offsetof(ClickSettings, autoRun) == 5);
static_assert(offsetof(ClickSettings, clickType) == 8);
static_assert(offsetof(ClickSettings, interval) == 12);
static_assert(offsetof(ClickSettings, hotkeyVk) == 16);
static_assert(offsetof(ClickSettings, hotkeyModifiers) == 20);
static_assert(offsetof(ClickSettings, randomMax) == 24);
static_assert(offsetof(ClickSettings, posX) == 28);
static_assert(offsetof(ClickSettings, posY) == 32);
static_assert(offsetof(ClickSettings, limitCount) == 36);
static_assert(offsetof(ClickSettings, hotkeyText) == 40);
static_assert(offsetof(ClickSettings, reserved168) == 168);
static_assert(offsetof(ClickSettings, reserved296) == 296);

inline constexpr char16_t kMouseDataValue[] = u"MouseData";

}  // namespace zintra
