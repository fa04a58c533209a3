// Fuzzes what users type: any text as seconds or as a whole number, and any
// sequence of key presses and releases into the hotkey capture.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/NumberText.h"
#include "sim/SimDesktop.h"
#include "ui/controls/HotKeyCapture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    const float seconds = zintra::ReadSeconds(text);
    if (std::isnan(seconds)) __builtin_trap();  // there is no way to type "nan"
    (void)zintra::ReadInteger(text);

    zintra::sim::SimDesktop desktop;
    zintra::ui::HotKeyCapture capture(desktop.GetKeyboard());
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const std::uint32_t key = data[i];
        const bool down = data[i + 1] & 1;
        desktop.KeyboardState().SetKeyDown(key, down);
        if (down) {
            capture.OnKeyDown(key, data[i + 1] & 2);
        } else {
            capture.OnKeyUp(key);
        }
        const std::u16string label = capture.Label();
        if (label.empty() || label.size() > 63) __builtin_trap();  // always fits the stored field
    }
    return 0;
}
