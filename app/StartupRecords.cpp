#include "app/StartupRecords.h"

#include <algorithm>
#include <string>
#include <thread>

#include "base/ProgramKey.h"
#include "online/OnlineConfig.h"
#include "online/UsageReport.h"

namespace zintra {

namespace {

constexpr char16_t kLastRunTime[] = u"lastRunTime";

bool WriteText(platform::Registry& registry, platform::RegistryKey key, const std::u16string& text) {
    // REG_SZ sizes count the terminating NUL.
    const auto bytes = static_cast<std::uint32_t>((text.size() + 1) * sizeof(char16_t));
    if (registry.SetValue(key, kLastRunTime, platform::reg::kSz, text.c_str(), bytes) != platform::reg::kSuccess) {
        return false;
    }
    registry.FlushKey(key);
    return true;
}

// The stored text up to its first NUL, at most 511 units; empty when missing
// or longer than that.
std::u16string ReadLastRunTime(platform::Registry& registry, platform::RegistryKey key) {
    char16_t buffer[512] = {};
    std::uint32_t type = platform::reg::kSz;
    std::uint32_t size = sizeof(buffer) - sizeof(char16_t);
    if (registry.QueryValue(key, kLastRunTime, &type, buffer, &size) != platform::reg::kSuccess) return {};
    const std::size_t units = std::min<std::size_t>(size / sizeof(char16_t), 511);
    return std::u16string(buffer, std::find(buffer, buffer + units, u'\0'));
}

}  // namespace

bool HasFlag(std::u16string_view commandLine, std::u16string_view flag) {
    return commandLine.find(flag) != std::u16string_view::npos;
}

std::u16string LocalMidnightText(platform::Platform& platform) {
    auto& clock = platform.GetClock();
    const std::string digits = std::to_string(clock.LocalMidnight(clock.CalendarTime()));
    return std::u16string(digits.begin(), digits.end());
}

std::optional<int> RunInstallerHook(platform::Platform& platform, std::u16string_view commandLine) {
    const bool setup = HasFlag(commandLine, u"/setup");
    if (OnlineConfig::Instance() == nullptr || (!setup && !HasFlag(commandLine, u"/unsetup"))) return std::nullopt;

    UsageEvent event = UsageEvent::Unsetup;
    if (setup) {
        auto& registry = platform.GetRegistry();
        platform::ScopedRegistryKey key(registry);
        if (!OpenProgramKey(registry, key)) return 0;
        WriteText(registry, key.Get(), LocalMidnightText(platform));
        event = UsageEvent::Setup;
    }
    SendUsageReport(platform, event);
    return 0;
}

void RecordDailyRun(platform::Platform& platform) {
    auto& registry = platform.GetRegistry();
    platform::ScopedRegistryKey key(registry);
    if (!OpenProgramKey(registry, key)) return;
    const std::u16string stored = ReadLastRunTime(registry, key.Get());
    const std::u16string today = LocalMidnightText(platform);
    if (stored == today) return;
    WriteText(registry, key.Get(), today);
    if (OnlineConfig::Instance() != nullptr) SendUsageReport(platform, UsageEvent::DailyRun);
}

void RunOnDetachedThread(std::function<void()> work) { std::thread(std::move(work)).detach(); }

}  // namespace zintra
