#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "online/HttpFetch.h"
#include "online/ServerAddress.h"
#include "online/UpdateCheck.h"
#include "sim/SimDesktop.h"
#include "tests/unit/support/TestHttpServer.h"

namespace zintra {
namespace {

using namespace std::chrono_literals;

UpdateDescription Parsed(const std::string& reply, bool expectParsed = true) {
    UpdateDescription description;
    EXPECT_EQ(ParseUpdateDescription(reply, description), expectParsed) << reply;
    return description;
}

TEST(ParseUpdateDescription, VersionFromIntegersAndLeadingDigitsOfStrings) {
    EXPECT_EQ(Parsed(R"({"version": 7})").version, 7);
    EXPECT_EQ(Parsed(R"({"version": "7"})").version, 7);
    EXPECT_EQ(Parsed(R"({"version": "12b"})").version, 12);
    EXPECT_EQ(Parsed(R"({"version": "b12"})").version, 0);
    EXPECT_EQ(Parsed(R"({"version": 7.5})").version, 0) << "a real number leaves the field";
    EXPECT_EQ(Parsed(R"({"version": 7.0})").version, 0);
    EXPECT_EQ(Parsed(R"({"version": true})").version, 0);
    EXPECT_EQ(Parsed(R"({"version": 4294967295})").version, -1) << "only the low 32 bits count";
    EXPECT_EQ(Parsed(R"({"Version": 9})").version, 0) << "keys are case-sensitive";
}

TEST(ParseUpdateDescription, ForceUpdateForms) {
    const std::pair<const char*, bool> cases[] = {
        {"true", true}, {"false", false}, {"1", true}, {"0", false}, {"-3", false}, {"\"1\"", true},
        {"\"true\"", true}, {"\"yes\"", false}, {"\"TRUE\"", false}, {"1.5", false}, {"null", false},
    };
    for (const auto& [json, forced] : cases) {
        EXPECT_EQ(Parsed(std::string(R"({"forceUpdate": )") + json + "}").forceUpdate, forced) << json;
    }
    // A string other than "true" or "1" leaves an earlier value.
    UpdateDescription description;
    description.forceUpdate = true;
    ASSERT_TRUE(ParseUpdateDescription(R"({"forceUpdate": "no"})", description));
    EXPECT_TRUE(description.forceUpdate);
}

TEST(ParseUpdateDescription, TextFieldsAndTheDigestInLowerCase) {
    const UpdateDescription d = Parsed(
        R"({"updateInfo": "修复了若干问题", "url": "http://h/setup.exe", "fileMd5": "9E107D9D372BB6826BD81D3542A419D6"})");
    EXPECT_EQ(d.updateInfo, "修复了若干问题");
    EXPECT_EQ(d.url, "http://h/setup.exe");
    EXPECT_EQ(d.fileMd5, "9e107d9d372bb6826bd81d3542a419d6");
    EXPECT_EQ(Parsed(R"({"updateInfo": 42, "url": false})").updateInfo, "42");
    EXPECT_EQ(Parsed(R"({"updateInfo": 42, "url": false})").url, "false");
}

TEST(ParseUpdateDescription, WrongShapesDoNotParseAndChangeNothing) {
    for (const char* reply : {"", "not json", "[1, 2]", "\"text\"", "7", R"({"url": ["a"]})",
                              R"({"version": 3, "updateInfo": {"a": 1}})", R"({"fileMd5": []})"}) {
        UpdateDescription description;
        description.version = 11;
        EXPECT_FALSE(ParseUpdateDescription(reply, description)) << reply;
        EXPECT_EQ(description.version, 11) << reply;
    }
}

TEST(ParseUpdateDescription, DeepNestingIsRefusedNotThrown) {
    // The library throws past its nesting limit; a hostile reply must not end the program.
    for (const std::string& reply : {std::string(1001, '['), "{\"version\": 5, \"x\": " + std::string(5000, '[')}) {
        UpdateDescription description;
        description.version = 11;
        EXPECT_FALSE(ParseUpdateDescription(reply, description));
        EXPECT_EQ(description.version, 11);
    }
}

TEST(LooksLikeUrl, SchemeOfTwoOrMoreCharactersThenAColon) {
    EXPECT_TRUE(LooksLikeUrl("http://update.example/setup.exe"));
    EXPECT_TRUE(LooksLikeUrl("https://h/x"));
    EXPECT_TRUE(LooksLikeUrl("ftp:x"));
    EXPECT_FALSE(LooksLikeUrl(""));
    EXPECT_FALSE(LooksLikeUrl("C:\\setup.exe")) << "a drive letter is no scheme";
    EXPECT_FALSE(LooksLikeUrl("/update/setup.exe"));
    EXPECT_FALSE(LooksLikeUrl("setup.exe"));
    EXPECT_FALSE(LooksLikeUrl("1a:b"));
    EXPECT_FALSE(LooksLikeUrl("ht tp://x"));
}

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Running()); }
    void TearDown() override {
        ::unsetenv("ZINTRA_UPDATE_URL");
        SetFetchAttemptTimeoutForTesting(0ms);
    }

    // Publishes a description and checks it against the installed build.
    bool Check(const std::string& body, std::optional<std::uint32_t> installed) {
        Json::Value file;
        file["path"] = "/update/update.json";
        file["body"] = body;
        server.ServeFile(file);
        ::setenv("ZINTRA_UPDATE_URL", server.Url("/update/update.json").c_str(), 1);
        if (installed) {
            std::vector<std::uint8_t> bytes(4);
            std::memcpy(bytes.data(), &*installed, 4);
            desktop.PutValue(u"SOFTWARE\\ZintraMouse", u"Update", platform::reg::kDword, bytes);
        }
        return CheckForUpdate(desktop, description);
    }

    test::TestHttpServer server;
    sim::SimDesktop desktop;
    UpdateDescription description;
};

TEST_F(UpdateCheckTest, NewerVersionThanTheInstalledBuildIsOffered) {
    EXPECT_FALSE(Check(R"({"version": 3})", std::nullopt)) << "no Update value counts as 0";
    EXPECT_EQ(description.version, 3);
    EXPECT_FALSE(Check(R"({"version": 5})", 4u));
    EXPECT_TRUE(Check(R"({"version": 5})", 5u)) << "an equal build is no update";
    EXPECT_TRUE(Check(R"({"version": 5})", 6u));
    EXPECT_FALSE(Check(R"({"version": -1})", 6u)) << "compared as unsigned numbers";
}

TEST_F(UpdateCheckTest, ThisBuildAndOlderOnesAreNeverOfferedWhateverTheStoreSays) {
    const std::uint32_t running = RunningBuild();
    ASSERT_GE(running, 1u);
    const auto version = [](std::uint32_t build) { return R"({"version": )" + std::to_string(build) + "}"; };
    EXPECT_TRUE(Check(version(running), std::nullopt)) << "no Update value";
    EXPECT_TRUE(Check(version(running), 0u)) << "a stored 0";
    EXPECT_TRUE(Check(version(running - 1), 0u));
    EXPECT_FALSE(Check(version(running + 1), 0u)) << "the next build";
    EXPECT_TRUE(Check(version(running + 1), running + 1)) << "the stored value still raises the bar";
}

TEST_F(UpdateCheckTest, AStartedUpdateIsRecordedAndNotOfferedAgain) {
    EXPECT_FALSE(Check(R"({"version": 7})", std::nullopt));
    ASSERT_TRUE(RecordStartedUpdate(desktop, description));
    const auto stored = desktop.Value(u"SOFTWARE\\ZintraMouse", u"Update");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, platform::reg::kDword);
    EXPECT_EQ(stored->data, (std::vector<std::uint8_t>{7, 0, 0, 0}));
    EXPECT_TRUE(Check(R"({"version": 7})", std::nullopt)) << "the same description again";
    EXPECT_FALSE(Check(R"({"version": 8})", std::nullopt));
    desktop.FailKey(u"SOFTWARE\\ZintraMouse");
    EXPECT_FALSE(RecordStartedUpdate(desktop, description)) << "a store that takes nothing says so";
}

TEST_F(UpdateCheckTest, RepliesWithoutAVersionOfferNothing) {
    EXPECT_TRUE(Check(R"({"version": 7.5})", std::nullopt));
    EXPECT_TRUE(Check(R"({"url": "http://x/s.exe"})", std::nullopt));
    EXPECT_TRUE(Check("", std::nullopt)) << "an empty body";
    EXPECT_TRUE(Check("<html>busy</html>", std::nullopt));
}

TEST_F(UpdateCheckTest, UnusualInstalledValues) {
    // A longer value cannot be read into 4 bytes and counts as 0.
    desktop.PutValue(u"SOFTWARE\\ZintraMouse", u"Update", platform::reg::kBinary, std::vector<std::uint8_t>(8, 0xFF));
    EXPECT_FALSE(Check(R"({"version": 2})", std::nullopt));
    // A shorter one of another type fills the low bytes.
    desktop.PutValue(u"SOFTWARE\\ZintraMouse", u"Update", platform::reg::kSz, std::vector<std::uint8_t>{9, 0});
    EXPECT_TRUE(Check(R"({"version": 9})", std::nullopt));
    EXPECT_FALSE(Check(R"({"version": 10})", std::nullopt));
}

TEST_F(UpdateCheckTest, UnreachableServerOrRegistryStartsNormally) {
    desktop.FailKey(u"SOFTWARE\\ZintraMouse");
    EXPECT_TRUE(Check(R"({"version": 3})", std::nullopt));
    SetFetchAttemptTimeoutForTesting(100ms);
    ::setenv("ZINTRA_UPDATE_URL", server.SilentUrl("/update/update.json").c_str(), 1);
    EXPECT_TRUE(CheckForUpdate(desktop, description));
}

TEST_F(UpdateCheckTest, ABuildWithoutAnUpdateServerAsksNobody) {
    ::unsetenv("ZINTRA_UPDATE_URL");
    if (!UpdateUrl().empty()) GTEST_SKIP() << "this build names an update server";
    Json::Value file;
    file["path"] = "/update/update.json";
    file["body"] = R"({"version": 99})";
    server.ServeFile(file);
    EXPECT_TRUE(CheckForUpdate(desktop, description)) << "starts normally";
    EXPECT_EQ(description.version, UpdateDescription{}.version);
    std::string reply;
    EXPECT_FALSE(FetchUpdateReply(reply));
    for (const Json::Value& request : server.Log()["requests"]) {
        EXPECT_NE(request["path"].asString(), "/update/update.json") << "no request at all";
    }
}

TEST_F(UpdateCheckTest, DownloadInstallerNeedsAUrl) {
    std::string path;
    UpdateDescription none;
    EXPECT_FALSE(DownloadInstaller(desktop, none, path, {}));
    none.url = "setup.exe";
    EXPECT_FALSE(DownloadInstaller(desktop, none, path, {}));
    const Json::Value log = server.Log();
    for (const Json::Value& request : log["requests"]) {
        EXPECT_EQ(request["path"].asString().rfind("/_control", 0), 0u) << "nothing is fetched without a URL";
    }

    Json::Value file;
    file["path"] = "/dl/setup_9.exe";
    file["size"] = 5000;
    file["last_modified"] = "Mon, 04 Mar 2019 08:00:00 GMT";
    server.ServeFile(file);
    const auto dir = std::filesystem::temp_directory_path() / ("zintra-update-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    UpdateDescription offered;
    offered.url = server.Url("/dl/setup_9.exe");
    path = dir.string() + "/";
    ASSERT_TRUE(DownloadInstaller(desktop, offered, path, {}));
    EXPECT_EQ(path, dir.string() + "/setup_9.exe");
    EXPECT_EQ(std::filesystem::file_size(path), 5000u);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zintra
