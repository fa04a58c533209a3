// Every click type in one row: the value the record stores, the button events
// of one click, how the count test tries it, the period rule and the radio the
// main window shows it with. The engine, the count test and the main window
// all look their type up here, so a new type is one new row, and what each of
// them makes of a stored value no row has is said once, below the table.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "clicker/ClickSettings.h"
#include "platform/MouseInput.h"

namespace zintra {

// The two button events that follow the positioning event of a click.
struct ButtonEvents {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
};

constexpr ButtonEvents PressAndRelease(const platform::MouseButton& button) {
    return {button.downFlag, button.upFlag};
}

// Pressed again at every click and never let go.
constexpr ButtonEvents PressTwice(const platform::MouseButton& button) {
    return {button.downFlag, button.downFlag};
}

struct ClickTypeEntry {
    std::int32_t stored = 0;  // clickType in the record
    ButtonEvents click;       // what the engine sends for one click
    ButtonEvents trial;       // what the count test sends for one click
    // The period in milliseconds of a type the interval does not apply to;
    // none when the interval (or the random interval) paces its clicks.
    std::optional<std::uint32_t> ownPeriod;
    std::string_view radio;       // its radio in the main window
    std::u16string_view caption;  // what the hotkey will start, once its radio is pressed

    bool UsesInterval() const { return !ownPeriod.has_value(); }
};

inline constexpr ClickTypeEntry kClickTypes[] = {
    {kClickLeft, PressAndRelease(platform::kLeftButton), PressAndRelease(platform::kLeftButton), std::nullopt,
     "type_left", u"开始左键连点"},
    {kClickRight, PressAndRelease(platform::kRightButton), PressAndRelease(platform::kRightButton), std::nullopt,
     "type_right", u"开始右键连点"},
    // Held down: ticks as fast as the timer goes, each pressing the button
    // again. The count test has nothing to count in that, so it tries a click.
    {kClickLeftLongPress, PressTwice(platform::kLeftButton), PressAndRelease(platform::kLeftButton), 1,
     "type_leftdown", u"开始左键长按"},
};

// The row of a stored value; none for a value that no type has.
const ClickTypeEntry* FindClickType(std::int32_t stored);
// The row whose radio has this name; none for any other control.
const ClickTypeEntry* FindClickTypeOfRadio(std::string_view radio);

// The record is loaded unchecked, so a stored value may match no row. Each
// reader resolves it its own way:
// the engine clicks it as a left click, paced by the interval;
const ClickTypeEntry& ClickTypeForEngine(std::int32_t stored);
// the count test tries it as a left click;
const ClickTypeEntry& ClickTypeForCountTest(std::int32_t stored);
// the main window checks the long-press radio for it and greys the interval,
// without changing the stored value.
const ClickTypeEntry& ClickTypeForRadios(std::int32_t stored);

}  // namespace zintra
