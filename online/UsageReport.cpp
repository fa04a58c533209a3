#include "online/UsageReport.h"

#include <cstdio>
#include <cstdlib>

#include "base/ProgramKey.h"
#include "online/HttpFetch.h"
#include "online/JsonText.h"
#include "online/ReportCipher.h"
#include "online/ReportSwitch.h"
#include "online/ServerAddress.h"

namespace zintra {

namespace {

constexpr int kReportSends = 3;
constexpr std::uint32_t kIdentityBufferBytes = 1024;

// A REG_SZ identity value, or the default when it is missing, empty or does
// not fit the buffer. The value's type is not checked.
std::string ReadIdentityValue(platform::Platform& platform, const char16_t* name, const char* defaultValue) {
    platform::Registry& registry = platform.GetRegistry();
    platform::ScopedRegistryKey key(registry);
    if (!OpenProgramKey(registry, key)) return defaultValue;
    char16_t buffer[kIdentityBufferBytes / sizeof(char16_t) + 1] = {};
    std::uint32_t type = 0;
    std::uint32_t size = kIdentityBufferBytes;
    if (registry.QueryValue(key.Get(), name, &type, buffer, &size) != platform::reg::kSuccess) return defaultValue;
    const std::u16string text(buffer);  // the extra last element keeps it terminated
    if (text.empty()) return defaultValue;
    return platform.GetSystem().ToAnsiCodePage(text);
}

}  // namespace

std::string ReadChannelCode(platform::Platform& platform) { return ReadIdentityValue(platform, u"UserIdData", "10001"); }

std::string ReadProductVersion(platform::Platform& platform) {
    return ReadIdentityValue(platform, u"Version", "1.0.0.1");
}

std::string GetAdapterAddress(platform::Platform& platform) {
    const auto address = platform.GetSystem().FirstAdapterAddress();
    if (!address) return {};
    char text[18];
    std::snprintf(text, sizeof(text), "%02X-%02X-%02X-%02X-%02X-%02X", (*address)[0], (*address)[1], (*address)[2],
                  (*address)[3], (*address)[4], (*address)[5]);
    return text;
}

std::string UsageReportText(const UsageReportFields& fields) {
    JsonTextDocument document;
    document.texts = {{"softcode", "10"},
                      {"channelcode", fields.channelCode},
                      {"mac", fields.mac},
                      {"version", fields.version}};
    document.integers["createtime"] = fields.createTime;
    document.lists["items"] = {{{"procode", "self"}, {"types", std::to_string(static_cast<int>(fields.event))}}};
    return WriteCompactJson(document);
}

bool SendUsageReport(platform::Platform& platform, UsageEvent event) {
    // Switched off: nothing is read or sent.
    if (ReportsSwitchedOff(platform.GetRegistry(), std::getenv("DO_NOT_TRACK"))) return false;
    UsageReportFields fields;
    fields.event = event;
    fields.channelCode = ReadChannelCode(platform);
    fields.mac = GetAdapterAddress(platform);
    fields.createTime = static_cast<std::int32_t>(platform.GetClock().CalendarTime());
    fields.version = ReadProductVersion(platform);
    const std::string body = EncryptReportBody(UsageReportText(fields));

    const std::string url = ReportUrl();
    TransferSink reply;
    for (int send = 0; send < kReportSends; ++send) {
        if (HttpFetch(url, body.c_str(), reply)) return true;
    }
    return false;
}

}  // namespace zintra
