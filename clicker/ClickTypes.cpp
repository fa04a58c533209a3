#include "clicker/ClickTypes.h"

namespace zintra {

namespace {

// A flag the platforms can press or release: one of a known button's.
constexpr bool IsButtonFlag(std::uint32_t flag) {
    for (const platform::MouseButton& button : platform::kMouseButtons) {
        if (flag == button.downFlag || flag == button.upFlag) return true;
    }
    return false;
}

constexpr bool EveryTypeUsesKnownButtons() {
    for (const ClickTypeEntry& type : kClickTypes) {
        for (const ButtonEvents& events : {type.click, type.trial}) {
            if (!IsButtonFlag(events.first) || !IsButtonFlag(events.second)) return false;
        }
    }
    return true;
}

// A button a platform does not map would be pressed nowhere.
static_assert(EveryTypeUsesKnownButtons(), "a click type uses a button missing from platform::kMouseButtons");

const ClickTypeEntry& KnownOr(std::int32_t stored, ClickType fallback) {
    if (const ClickTypeEntry* type = FindClickType(stored)) return *type;
    return *FindClickType(fallback);
}

}  // namespace

const ClickTypeEntry* FindClickType(std::int32_t stored) {
    for (const ClickTypeEntry& type : kClickTypes) {
        if (type.stored == stored) return &type;
    }
    return nullptr;
}

const ClickTypeEntry* FindClickTypeOfRadio(std::string_view radio) {
    for (const ClickTypeEntry& type : kClickTypes) {
        if (type.radio == radio) return &type;
    }
    return nullptr;
}

const ClickTypeEntry& ClickTypeForEngine(std::int32_t stored) { return KnownOr(stored, kClickLeft); }

const ClickTypeEntry& ClickTypeForCountTest(std::int32_t stored) { return KnownOr(stored, kClickLeft); }

const ClickTypeEntry& ClickTypeForRadios(std::int32_t stored) { return KnownOr(stored, kClickLeftLongPress); }

}  // namespace zintra
