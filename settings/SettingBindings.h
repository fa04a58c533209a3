// Which control of the settings window shows which field of the record, and
// what restoring the defaults puts there. Filling, confirming and restoring
// all walk this one table, in its order.
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>
#include <variant>

#include "clicker/ClickSettings.h"

namespace zintra {

struct SettingBinding {
    // A number is shown in a digits-only edit as "%d" and read back as an
    // integer; a flag is shown in a check box and read back as 0 or 1.
    using NumberField = std::int32_t ClickSettings::*;
    using FlagField = std::uint8_t ClickSettings::*;

    std::string_view control;
    std::variant<NumberField, FlagField> field;
    std::int32_t restored = 0;  // what "restore all defaults" puts in the field

    bool IsCheckBox() const { return std::holds_alternative<FlagField>(field); }
    std::int32_t Read(const ClickSettings& settings) const {
        return std::visit([&](auto member) -> std::int32_t { return settings.*member; }, field);
    }
    void Write(ClickSettings& settings, std::int32_t value) const {
        std::visit(
            [&](auto member) {
                using Field = std::remove_reference_t<decltype(settings.*member)>;
                settings.*member = static_cast<Field>(value);
            },
            field);
    }
};

// Restoring empties the page rather than rebuilding a fresh record, so
// randomMax becomes 0 where a fresh record holds 1. Start with the system is
// not here: its box shows the system's own entry, not the stored flag.
inline constexpr SettingBinding kSettingBindings[] = {
    {"edt_LimitCount", &ClickSettings::limitCount, 0},
    {"edt_posY", &ClickSettings::posY, 0},
    {"edt_posX", &ClickSettings::posX, 0},
    {"edt_time", &ClickSettings::randomMax, 0},
    {"chk_CloseRightTip", &ClickSettings::closeRightTip, 0},
    {"chk_HideMain", &ClickSettings::hideMain, 0},
    {"useRandomTime", &ClickSettings::useRandomTime, 0},
    {"useFixedPos", &ClickSettings::useFixedPos, 0},
    {"useLimitCount", &ClickSettings::useLimitCount, 0},
};

}  // namespace zintra
