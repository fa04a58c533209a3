// Usage reports: installed, uninstalled, started on a new day. Each is a small
// JSON document naming the channel, the version and the machine's adapter
// address, sent encrypted to the statistics server. Undeliverable reports are
// dropped; nothing is stored or shown.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace zintra {

enum class UsageEvent : int {
    Setup = 1,
    Unsetup = 2,
    DailyRun = 3,
};

struct UsageReportFields {
    std::string channelCode;
    std::int32_t createTime = 0;
    std::string mac;
    std::string version;
    UsageEvent event = UsageEvent::DailyRun;
};

// Blocks for the whole exchange: up to three fetches of three attempts each.
// True when one transfer completed; the reply is not looked at. False at once
// when reports are switched off (online/ReportSwitch.h).
bool SendUsageReport(platform::Platform& platform, UsageEvent event);

// The report text exactly as it is encrypted (compact JSON and a line feed).
std::string UsageReportText(const UsageReportFields& fields);

// Identity, read afresh for each report, in the ANSI code page.
std::string ReadChannelCode(platform::Platform& platform);     // UserIdData, default "10001"
std::string ReadProductVersion(platform::Platform& platform);  // Version, default "1.0.0.1"
// "00-1A-2B-3C-4D-5E", or "" when no adapter can be asked.
std::string GetAdapterAddress(platform::Platform& platform);

}  // namespace zintra
