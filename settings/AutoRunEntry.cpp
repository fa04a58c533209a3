#include "settings/AutoRunEntry.h"

#include <vector>

namespace zintra {

namespace {

using platform::RegistryRoot;
namespace reg = platform::reg;

// The first query reads into a buffer of this size; a longer value is read
// again whole, up to the cap (far beyond any real command line).
constexpr std::uint32_t kFirstQueryBytes = 1024;
constexpr std::uint32_t kLongestValueBytes = 1u << 20;

bool OpenRunKey(platform::Registry& registry, platform::ScopedRegistryKey& key) {
    return registry.OpenKey(RegistryRoot::CurrentUser, kRunKeyPath, key.Receive()) == reg::kSuccess &&
           static_cast<bool>(key);
}

// Non-empty up to the first NUL unit, whatever the value's type; the buffer
// is zero-filled and at least two bytes long.
bool HasText(const std::vector<std::uint8_t>& data, std::uint32_t size) {
    return size > 0 && data.size() >= 2 && (data[0] != 0 || data[1] != 0);
}

}  // namespace

std::u16string AutoRunCommandLine(std::u16string_view executablePath) {
    std::u16string line;
    line.reserve(executablePath.size() + 8);
    line += u'"';
    line += executablePath;
    line += u"\" -auto";
    return line;
}

std::optional<bool> QueryAutoRunEntry(platform::Registry& registry) {
    platform::ScopedRegistryKey key(registry);
    if (!OpenRunKey(registry, key)) return std::nullopt;

    std::vector<std::uint8_t> data(kFirstQueryBytes, 0);
    std::uint32_t type = reg::kNone;
    std::uint32_t size = kFirstQueryBytes;
    long status = registry.QueryValue(key.Get(), kAutoRunValue, &type, data.data(), &size);
    if (status == reg::kMoreData && size <= kLongestValueBytes) {
        // A long path is written whole, so it must also read back as present.
        data.assign(size, 0);
        status = registry.QueryValue(key.Get(), kAutoRunValue, &type, data.data(), &size);
    }
    return status == reg::kSuccess && HasText(data, size);
}

bool WriteAutoRunEntry(platform::Registry& registry, std::u16string_view executablePath) {
    platform::ScopedRegistryKey key(registry);
    if (!OpenRunKey(registry, key)) return false;
    const std::u16string line = AutoRunCommandLine(executablePath);
    const auto bytes = static_cast<std::uint32_t>((line.size() + 1) * sizeof(char16_t));
    if (registry.SetValue(key.Get(), kAutoRunValue, reg::kSz, line.c_str(), bytes) != reg::kSuccess) return false;
    registry.FlushKey(key.Get());
    return true;
}

void RemoveAutoRunEntry(platform::Registry& registry) {
    platform::ScopedRegistryKey key(registry);
    if (OpenRunKey(registry, key)) registry.DeleteValue(key.Get(), kAutoRunValue);
}

std::optional<bool> QueryStartWithSystem(platform::Platform& platform) {
    if (platform::AutoStart* autostart = platform.GetAutoStart()) {
        return autostart->Query(platform.GetSystem().ExecutablePath());
    }
    return QueryAutoRunEntry(platform.GetRegistry());
}

bool WriteStartWithSystem(platform::Platform& platform) {
    const std::u16string executable = platform.GetSystem().ExecutablePath();
    if (platform::AutoStart* autostart = platform.GetAutoStart()) return autostart->Write(executable);
    return WriteAutoRunEntry(platform.GetRegistry(), executable);
}

void RemoveStartWithSystem(platform::Platform& platform) {
    if (platform::AutoStart* autostart = platform.GetAutoStart()) {
        autostart->Remove(platform.GetSystem().ExecutablePath());
        return;
    }
    RemoveAutoRunEntry(platform.GetRegistry());
}

}  // namespace zintra
