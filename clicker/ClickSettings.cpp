#include "clicker/ClickSettings.h"

#include <algorithm>
#include <cstring>

#include "base/ProgramKey.h"

namespace zintra {

std::u16string ClickSettings::HotkeyText() const {
    const char16_t* end = std::find(hotkeyText, hotkeyText + kHotkeyTextUnits, u'\0');
    return std::u16string(hotkeyText, end);
}

void ClickSettings::SetHotkeyText(std::u16string_view text) {
    const std::size_t units = std::min(text.size(), kHotkeyTextUnits - 1);
    std::fill(std::begin(hotkeyText), std::end(hotkeyText), u'\0');
    std::copy_n(text.data(), units, hotkeyText);
}

bool ClickSettings::Load(platform::Registry& registry) {
    platform::ScopedRegistryKey key(registry);
    if (!OpenProgramKey(registry, key)) return false;

    // Query into a scratch buffer: when the stored value is longer than the
    // record the platform leaves the buffer undefined, and such a value must
    // read as missing rather than as garbage.
    std::uint8_t buffer[kClickSettingsSize];
    std::uint32_t type = platform::reg::kBinary;
    std::uint32_t size = sizeof(buffer);
    const long status = registry.QueryValue(key.Get(), kMouseDataValue, &type, buffer, &size);
    if (status == platform::reg::kSuccess) {
        std::memcpy(static_cast<void*>(this), buffer, std::min<std::size_t>(size, kClickSettingsSize));
    }
    return true;
}

bool ClickSettings::WriteTo(platform::Registry& registry, platform::RegistryKey key) const {
    if (registry.SetValue(key, kMouseDataValue, platform::reg::kBinary, this, kClickSettingsSize) !=
        platform::reg::kSuccess) {
        return false;
    }
    registry.FlushKey(key);
    return true;
}

bool ClickSettings::Save(platform::Registry& registry) const {
    platform::ScopedRegistryKey key(registry);
    if (!OpenProgramKey(registry, key)) return false;
    return WriteTo(registry, key.Get());
}

}  // namespace zintra
