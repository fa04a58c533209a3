#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "app/Program.h"
#include "app/StartupRecords.h"
#include "sim/SimDesktop.h"
#include "tests/unit/support/TestHttpServer.h"
#include "sim/headless/HeadlessBackend.h"

namespace zintra {
namespace {

using test::ParseJson;
using test::WriteCompactJson;

const std::u16string kKey = u"SOFTWARE\\ZintraMouse";

class StartupRecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Running());
        ::setenv("ZINTRA_REPORT_URL", server.Url("/data.html").c_str(), 1);
        platform::SetCurrent(&desktop);
    }
    void TearDown() override {
        platform::SetCurrent(nullptr);
        ::unsetenv("ZINTRA_REPORT_URL");
    }

    // The event types of the reports the server received, in order.
    std::string ReportedEvents() {
        std::string events;
        const Json::Value log = server.Log();
        for (const Json::Value& report : log["reports"]) {
            EXPECT_TRUE(report["problems"].empty()) << WriteCompactJson(report["problems"]);
            Json::Value document;
            if (ParseJson(report["plaintext"].asString(), document)) events += document["items"][0u]["types"].asString();
        }
        return events;
    }

    std::u16string LastRunTime() {
        auto value = desktop.Value(kKey, u"lastRunTime");
        if (!value) return u"<missing>";
        EXPECT_EQ(value->type, platform::reg::kSz);
        std::u16string text(value->data.size() / 2, u'\0');
        std::memcpy(text.data(), value->data.data(), text.size() * 2);
        EXPECT_EQ(text.back(), u'\0') << "stored with its terminating NUL";
        text.pop_back();
        return text;
    }

    test::TestHttpServer server;
    sim::SimDesktop desktop;
    ui::HeadlessBackend backend{desktop};
};

TEST_F(StartupRecordsTest, LocalMidnightOfTheDayInDecimal) {
    // Noon of 6 December 2026 in a zone 8 hours ahead of UTC.
    desktop.SetUtcOffsetSeconds(8 * 3600);
    desktop.SetCalendarBase(1796486400 + 12 * 3600);
    EXPECT_EQ(LocalMidnightText(desktop), u"1796486400");
    desktop.SetCalendarBase(1796486400 - 1);
    EXPECT_EQ(LocalMidnightText(desktop), u"1796400000");
}

TEST_F(StartupRecordsTest, SetupCreatesTheKeyRecordsTodayAndReportsInstalled) {
    EXPECT_EQ(RunProgram(u"\"C:\\Zintra\\zintra.exe\" /setup", backend), 0);
    EXPECT_EQ(LastRunTime(), LocalMidnightText(desktop));
    EXPECT_EQ(ReportedEvents(), "1");
    EXPECT_FALSE(desktop.ProcessState().MutexHeld(kSingleInstanceMutex)) << "no instance runs";
}

TEST_F(StartupRecordsTest, UnsetupReportsRemovalAndLeavesTheDayAlone) {
    EXPECT_EQ(RunProgram(u"zintra.exe /unsetup", backend), 0);
    EXPECT_EQ(LastRunTime(), u"<missing>");
    EXPECT_EQ(ReportedEvents(), "2");
}

TEST_F(StartupRecordsTest, SetupWinsOverUnsetupAndFlagsAreCaseSensitive) {
    EXPECT_EQ(RunInstallerHook(desktop, u"/unsetup /setup"), 0);
    EXPECT_EQ(ReportedEvents(), "1");
    EXPECT_FALSE(RunInstallerHook(desktop, u"/SETUP"));
    EXPECT_FALSE(RunInstallerHook(desktop, u"-auto"));
}

TEST_F(StartupRecordsTest, SetupWithoutARegistryKeyReportsNothing) {
    desktop.FailKey(kKey);
    EXPECT_EQ(RunInstallerHook(desktop, u"/setup"), 0);
    EXPECT_EQ(ReportedEvents(), "");
}

TEST_F(StartupRecordsTest, DailyReportGoesOutOncePerLocalDay) {
    RecordDailyRun(desktop);
    EXPECT_EQ(LastRunTime(), LocalMidnightText(desktop));
    RecordDailyRun(desktop);
    EXPECT_EQ(ReportedEvents(), "3") << "a second start on the same day reports nothing";

    desktop.SetCalendarBase(desktop.CalendarTime() + 86400);
    RecordDailyRun(desktop);
    EXPECT_EQ(LastRunTime(), LocalMidnightText(desktop));
    EXPECT_EQ(ReportedEvents(), "33");
}

TEST_F(StartupRecordsTest, InstallationDayItselfSendsNoDailyReport) {
    ASSERT_EQ(RunInstallerHook(desktop, u"/setup"), 0);
    RecordDailyRun(desktop);
    EXPECT_EQ(ReportedEvents(), "1");
}

TEST_F(StartupRecordsTest, UnreadableDayIsReplaced) {
    // Longer than the 511 characters read: counts as no day at all.
    std::vector<std::uint8_t> longText(2000, 'x');
    desktop.PutValue(kKey, u"lastRunTime", platform::reg::kSz, longText);
    RecordDailyRun(desktop);
    EXPECT_EQ(LastRunTime(), LocalMidnightText(desktop));
    EXPECT_EQ(ReportedEvents(), "3");
}

TEST_F(StartupRecordsTest, TodayIsReadFromAValueOfUpTo511Characters) {
    // Today's text, then NULs up to the value's length.
    const auto padded = [this](std::size_t units) {
        const std::u16string today = LocalMidnightText(desktop);
        std::vector<std::uint8_t> bytes(units * 2, 0);
        std::memcpy(bytes.data(), today.data(), today.size() * 2);
        return bytes;
    };
    desktop.PutValue(kKey, u"lastRunTime", platform::reg::kSz, padded(511));
    RecordDailyRun(desktop);
    EXPECT_EQ(ReportedEvents(), "") << "511 characters are read: today, no report";

    desktop.PutValue(kKey, u"lastRunTime", platform::reg::kSz, padded(512));
    RecordDailyRun(desktop);
    EXPECT_EQ(ReportedEvents(), "3") << "512 characters are too many to read: no day recorded";
    EXPECT_EQ(LastRunTime(), LocalMidnightText(desktop));
}

TEST_F(StartupRecordsTest, SecondStartStillRunsTheDailyRecord) {
    desktop.ProcessState().HoldMutex(kSingleInstanceMutex);
    int ran = 0;
    EXPECT_EQ(RunProgram(u"", backend, [&](std::function<void()> work) { ++ran, work(); }), 0);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(ReportedEvents(), "3");
}

}  // namespace
}  // namespace zintra
