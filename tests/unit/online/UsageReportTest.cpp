#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "online/HttpFetch.h"
#include "online/JsonText.h"
#include "tests/unit/support/JsonValue.h"
#include "online/ReportSwitch.h"
#include "online/ServerAddress.h"
#include "online/UsageReport.h"
#include "sim/SimDesktop.h"
#include "tests/unit/support/Command.h"
#include "tests/unit/support/TestHttpServer.h"

namespace zintra {
namespace {

using namespace std::chrono_literals;
using test::WriteCompactJson;

const std::u16string kKey = u"SOFTWARE\\ZintraMouse";

std::vector<std::uint8_t> Utf16Bytes(const std::u16string& text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

// The same document from Python's own JSON encoder. Strings travel through
// Latin-1 so every byte comes back unchanged.
std::string PythonReportText(const UsageReportFields& f) {
    const std::string script =
        "import json,sys\n"
        "a=[x.decode('latin-1') for x in sys.stdin.buffer.read().split(b'\\0')]\n"
        "d={'version':a[3],'softcode':'10','mac':a[2],'items':[{'types':a[4],'procode':'self'}],"
        "'createtime':int(a[1]),'channelcode':a[0]}\n"
        "sys.stdout.buffer.write((json.dumps(d,sort_keys=True,separators=(',',':'),ensure_ascii=False)+'\\n')"
        ".encode('latin-1'))\n";
    std::string input = f.channelCode + '\0' + std::to_string(f.createTime) + '\0' + f.mac + '\0' + f.version + '\0' +
                        std::to_string(static_cast<int>(f.event));
    const auto result = test::RunCommand("python3 -c \"$(cat <<'PY'\n" + script + "PY\n)\"", input);
    EXPECT_EQ(result.exitCode, 0);
    return result.output;
}

TEST(UsageReport, TextMatchesAnIndependentEncoder) {
    UsageReportFields fields{"10001", 1733500000, "00-1A-2B-3C-4D-5E", "1.0.0.1", UsageEvent::Setup};
    const std::string text = UsageReportText(fields);
    EXPECT_EQ(text,
              "{\"channelcode\":\"10001\",\"createtime\":1733500000,\"items\":[{\"procode\":\"self\",\"types\":\"1\"}],"
              "\"mac\":\"00-1A-2B-3C-4D-5E\",\"softcode\":\"10\",\"version\":\"1.0.0.1\"}\n");
    EXPECT_EQ(text.size(), 151u);
    EXPECT_EQ(text, PythonReportText(fields));

    fields.mac = "";
    fields.event = UsageEvent::Unsetup;
    EXPECT_EQ(UsageReportText(fields).size(), 134u);
    EXPECT_NE(UsageReportText(fields).find("\"types\":\"2\""), std::string::npos);
    EXPECT_EQ(UsageReportText(fields), PythonReportText(fields));
}

TEST(UsageReport, IdentityBytesPassThroughAndControlCharactersAreEscaped) {
    UsageReportFields fields{"\xC7\xFE\xB5\xC0", -5, "", "1.0\"\\\x01\x7F", UsageEvent::DailyRun};
    const std::string text = UsageReportText(fields);
    EXPECT_NE(text.find("\"channelcode\":\"\xC7\xFE\xB5\xC0\""), std::string::npos);
    EXPECT_NE(text.find("\"version\":\"1.0\\\"\\\\\\u0001\x7F\""), std::string::npos);
    EXPECT_EQ(text, PythonReportText(fields));
}

class UsageReportIdentityTest : public ::testing::Test {
protected:
    sim::SimDesktop desktop_;
};

TEST_F(UsageReportIdentityTest, MissingValuesGiveDefaultsAndAreNotWritten) {
    EXPECT_EQ(ReadChannelCode(desktop_), "10001");
    EXPECT_EQ(ReadProductVersion(desktop_), "1.0.0.1");
    EXPECT_TRUE(desktop_.KeyExists(kKey)) << "the key is created on the way";
    EXPECT_FALSE(desktop_.Value(kKey, u"UserIdData"));
    EXPECT_FALSE(desktop_.Value(kKey, u"Version"));
    EXPECT_EQ(desktop_.OpenKeyHandles(), 0);
}

TEST_F(UsageReportIdentityTest, StoredValuesAreReadUnlessEmptyOrTooLong) {
    desktop_.PutValue(kKey, u"UserIdData", platform::reg::kSz, Utf16Bytes(u"20002"));
    desktop_.PutValue(kKey, u"Version", platform::reg::kSz, Utf16Bytes(u"2.3.0.7"));
    EXPECT_EQ(ReadChannelCode(desktop_), "20002");
    EXPECT_EQ(ReadProductVersion(desktop_), "2.3.0.7");

    desktop_.PutValue(kKey, u"UserIdData", platform::reg::kSz, Utf16Bytes(u""));
    EXPECT_EQ(ReadChannelCode(desktop_), "10001");
    desktop_.PutValue(kKey, u"UserIdData", platform::reg::kSz, Utf16Bytes(std::u16string(512, u'7')));  // 1026 bytes
    EXPECT_EQ(ReadChannelCode(desktop_), "10001");
    // Exactly 1024 bytes with no terminator still reads as text.
    std::vector<std::uint8_t> full(1024, 0);
    for (std::size_t i = 0; i < full.size(); i += 2) full[i] = '8';
    desktop_.PutValue(kKey, u"UserIdData", platform::reg::kBinary, full);
    EXPECT_EQ(ReadChannelCode(desktop_), std::string(512, '8'));
    desktop_.PutValue(kKey, u"UserIdData", platform::reg::kSz, Utf16Bytes(u"渠道"));
    EXPECT_EQ(ReadChannelCode(desktop_), "渠道");  // the native code page is UTF-8

    desktop_.FailKey(kKey);
    EXPECT_EQ(ReadChannelCode(desktop_), "10001");
    EXPECT_EQ(ReadProductVersion(desktop_), "1.0.0.1");
}

TEST_F(UsageReportIdentityTest, AdapterAddressIsSixUpperCaseHexPairsOrEmpty) {
    desktop_.System().SetAdapterAddress(platform::HardwareAddress{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0xE5});
    EXPECT_EQ(GetAdapterAddress(desktop_), "00-1A-2B-3C-4D-E5");
    desktop_.System().SetAdapterAddress(std::nullopt);
    EXPECT_EQ(GetAdapterAddress(desktop_), "");
}

class UsageReportSendTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Running());
        desktop_.System().SetAdapterAddress(platform::HardwareAddress{0x02, 0x42, 0xAC, 0x11, 0x00, 0x02});
    }
    void TearDown() override {
        ::unsetenv("ZINTRA_REPORT_URL");
        SetFetchAttemptTimeoutForTesting(0ms);
    }

    test::TestHttpServer server_;
    sim::SimDesktop desktop_;
};

TEST_F(UsageReportSendTest, ServerDecryptsAWellFormedReport) {
    ::setenv("ZINTRA_REPORT_URL", server_.Url("/data.html").c_str(), 1);
    ASSERT_TRUE(SendUsageReport(desktop_, UsageEvent::DailyRun));

    const Json::Value log = server_.Log();
    ASSERT_EQ(log["reports"].size(), 1u) << "one POST when the first one arrives";
    const Json::Value& report = log["reports"][0];
    EXPECT_EQ(report["problems"].size(), 0u) << WriteCompactJson(report["problems"]);
    const UsageReportFields expected{"10001", static_cast<std::int32_t>(desktop_.CalendarTime()), "02-42-AC-11-00-02",
                                     "1.0.0.1", UsageEvent::DailyRun};
    EXPECT_EQ(report["plaintext"].asString(), UsageReportText(expected));
}

TEST_F(UsageReportSendTest, UnreachableEndpointGivesUpAfterNineAttempts) {
    SetFetchAttemptTimeoutForTesting(200ms);
    ::setenv("ZINTRA_REPORT_URL", server_.SilentUrl("/data.html").c_str(), 1);
    EXPECT_FALSE(SendUsageReport(desktop_, UsageEvent::Setup));
    EXPECT_EQ(server_.Log()["silent_accepts"].asInt(), 9);
}

TEST_F(UsageReportSendTest, SwitchedOffReportsAreNeitherBuiltNorSent) {
    ::setenv("ZINTRA_REPORT_URL", server_.Url("/data.html").c_str(), 1);
    auto& registry = desktop_.GetRegistry();
    ASSERT_TRUE(StoreReportsSwitch(registry, false));
    EXPECT_FALSE(SendUsageReport(desktop_, UsageEvent::DailyRun));
    EXPECT_EQ(server_.Log()["reports"].size(), 0u);

    ASSERT_TRUE(StoreReportsSwitch(registry, true));
    EXPECT_TRUE(SendUsageReport(desktop_, UsageEvent::DailyRun));
    EXPECT_EQ(server_.Log()["reports"].size(), 1u);
}

TEST(ReportSwitch, OnlyAStoredZeroOrASetDoNotTrackSwitchesReportsOff) {
    sim::SimDesktop desktop;
    auto& registry = desktop.GetRegistry();
    EXPECT_FALSE(ReportsSwitchedOff(registry, nullptr)) << "on without a store";
    EXPECT_FALSE(ReportsSwitchedOff(registry, "")) << "an empty DO_NOT_TRACK counts as unset";
    EXPECT_FALSE(ReportsSwitchedOff(registry, "0"));
    EXPECT_TRUE(ReportsSwitchedOff(registry, "1"));
    EXPECT_TRUE(ReportsSwitchedOff(registry, "yes"));

    platform::RegistryKey key = 0;
    ASSERT_EQ(registry.CreateKey(platform::RegistryRoot::CurrentUser, kKey, &key), platform::reg::kSuccess);
    const std::uint32_t zeroBytes = 0;
    registry.SetValue(key, kUsageReportsValue, platform::reg::kBinary, &zeroBytes, sizeof(zeroBytes));
    EXPECT_FALSE(ReportsSwitchedOff(registry, nullptr)) << "only a REG_DWORD switches";
    const std::uint32_t two = 2;
    registry.SetValue(key, kUsageReportsValue, platform::reg::kDword, &two, sizeof(two));
    EXPECT_FALSE(ReportsSwitchedOff(registry, nullptr));
    const std::uint32_t zero = 0;
    registry.SetValue(key, kUsageReportsValue, platform::reg::kDword, &zero, sizeof(zero));
    EXPECT_TRUE(ReportsSwitchedOff(registry, nullptr));
    registry.CloseKey(key);
}

TEST(ServerAddress, EnvironmentReplacesTheBuiltInAddresses) {
    ::unsetenv("ZINTRA_REPORT_URL");
    ::unsetenv("ZINTRA_UPDATE_URL");
    const std::string builtInReport = ReportUrl();
    EXPECT_EQ(builtInReport.substr(builtInReport.size() - 10), "/data.html");
    // The Linux build has an update server only when its build names one, and
    // never the Windows one, whose description offers Windows installers.
    const std::string builtInUpdate = UpdateUrl();
    if (!builtInUpdate.empty()) EXPECT_EQ(builtInUpdate.substr(builtInUpdate.size() - 19), "/update/update.json");
    EXPECT_NE(builtInUpdate, "http://update.zintra.example/update/update.json");

    ::setenv("ZINTRA_REPORT_URL", "http://127.0.0.1:1/data.html", 1);
    ::setenv("ZINTRA_UPDATE_URL", "", 1);  // empty counts as unset
    EXPECT_EQ(ReportUrl(), "http://127.0.0.1:1/data.html");
    EXPECT_EQ(UpdateUrl(), builtInUpdate);
    ::unsetenv("ZINTRA_REPORT_URL");
    ::unsetenv("ZINTRA_UPDATE_URL");
}

TEST(JsonText, ReadsObjectsAndRejectsOtherText) {
    const auto document = ReadJsonObject("{\"version\": 7, \"url\": \"http://h/a.exe\", \"big\": 18446744073709551615}");
    ASSERT_TRUE(document);
    EXPECT_EQ(document->at("version").kind, JsonMember::Kind::Integer);
    EXPECT_EQ(document->at("version").integer, 7);
    EXPECT_EQ(document->at("version").text, "7");
    EXPECT_EQ(document->at("url").text, "http://h/a.exe");
    EXPECT_EQ(document->at("big").kind, JsonMember::Kind::UnsignedInteger);
    EXPECT_EQ(document->at("big").unsignedInteger, 18446744073709551615u);
    EXPECT_FALSE(ReadJsonObject(""));
    EXPECT_FALSE(ReadJsonObject("<html>busy</html>"));
    EXPECT_FALSE(ReadJsonObject("[1, 2]")) << "not an object";
}

}  // namespace
}  // namespace zintra
