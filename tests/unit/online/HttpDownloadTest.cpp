#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "online/CurlEasy.h"
#include "online/HttpDownload.h"
#include "platform/Messages.h"
#include "sim/SimDesktop.h"
#include "tests/unit/support/TestHttpServer.h"
#include "tests/unit/support/TestFiles.h"

namespace zintra {
namespace {

namespace fs = std::filesystem;

constexpr char kDate[] = "Mon, 04 Mar 2019 08:00:00 GMT";

// Records the progress messages a download posts to its window.
class ProgressWindow final : public platform::MessageHandler {
public:
    std::vector<std::uintptr_t> percentages;
    std::vector<std::uint32_t> others;
    std::optional<std::intptr_t> HandleMessage(platform::NativeWindow, std::uint32_t message, std::uintptr_t wParam,
                                               std::intptr_t lParam) override {
        if (message == msg::kDownloadProgress && lParam == 0) {
            percentages.push_back(wParam);
        } else {
            others.push_back(message);
        }
        return 0;
    }
};

class HttpDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Running());
        root_ = fs::temp_directory_path() / ("zintra-download-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "downloads");
        directory_ = (root_ / "downloads").string() + "/";
        desktop_.System().SetTemporaryDirectory(directory_);
        window_ = desktop_.CreateMessageWindow(progress_);
        report_ = [this](std::int32_t percent) {
            desktop_.PostMessage(window_, msg::kDownloadProgress, static_cast<std::uintptr_t>(percent), 0);
        };
    }
    void TearDown() override { fs::remove_all(root_); }

    // A served file with the usual date, for a test to add to.
    static Json::Value Settings(const std::string& path, std::size_t size) {
        Json::Value file;
        file["path"] = path;
        file["size"] = static_cast<Json::UInt64>(size);
        file["last_modified"] = kDate;
        return file;
    }
    void Serve(const std::string& path, std::size_t size, const char* lastModified = kDate) {
        Json::Value file = Settings(path, size);
        if (lastModified != nullptr) file["last_modified"] = lastModified;
        if (lastModified == nullptr) file.removeMember("last_modified");
        server_.ServeFile(file);
    }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(directory_ + name, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const { return test::ReadFile(directory_ + name); }
    bool Exists(const std::string& name) const { return fs::exists(directory_ + name); }
    // The Range header of the download's GET request.
    std::string RangeOfLastGet() {
        std::string range = "(no GET)";
        const Json::Value log = server_.Log();
        for (const auto& request : log["requests"]) {
            if (request["method"].asString() == "GET" && request["path"].asString().rfind("/_control", 0) != 0) {
                range = request["range"].asString();
            }
        }
        return range;
    }
    std::vector<std::string> Listing(const fs::path& directory) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TestHttpServer server_;
    sim::SimDesktop desktop_;
    ProgressWindow progress_;
    platform::NativeWindow window_ = 0;
    // Posts each percentage to window_, as the update window does.
    DownloadProgress report_;
    fs::path root_;
    std::string directory_;
};

TEST_F(HttpDownloadTest, EmptyPathSavesUnderTheUrlsNameWithoutQueryInTheTemporaryDirectory) {
    Serve("/dl/setup_2.exe", 5000);
    std::string path;
    ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup_2.exe?x=1"), path, report_));
    EXPECT_EQ(path, directory_ + "setup_2.exe");
    EXPECT_EQ(Read("setup_2.exe"), test::ServedContent(5000));
    EXPECT_EQ(RangeOfLastGet(), "bytes=0-");
    EXPECT_EQ(Listing(directory_), (std::vector<std::string>{"setup_2.exe", "setup_2.exe.cfg"}));
    EXPECT_EQ(Read("setup_2.exe.cfg"), FormatSidecar({kDate, "", 5000})) << "the record of the whole file stays";
}

TEST_F(HttpDownloadTest, AFileWithoutTheProgramsRecordIsNeverContinued) {
    Serve("/dl/setup.exe", 5000, "Tue, 05 Mar 2019 09:00:00 GMT");
    // Bytes of unknown origin under the name, alone or with a sidecar that records nothing.
    for (const char* sidecar : {static_cast<const char*>(nullptr), "[list]\r\nLength=5000\r\n", "garbage"}) {
        Write("setup.exe", test::ServedContent(5000).substr(0, 1000) + "planted");
        if (sidecar != nullptr) Write("setup.exe.cfg", sidecar);
        std::string path = directory_;
        ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_));
        EXPECT_EQ(RangeOfLastGet(), "bytes=0-");
        EXPECT_EQ(Read("setup.exe"), test::ServedContent(5000));
        fs::remove(directory_ + "setup.exe.cfg");
    }
}

TEST_F(HttpDownloadTest, SidecarDateDecidesWhetherThePartialFileIsKept) {
    const struct {
        const char* serverDate;
        const char* expectedRange;
    } cases[] = {
        {"mon, 04 mar 2019 08:00:00 gmt", "bytes=1000-"},  // same date, other case: continue
        {"Wed, 06 Mar 2019 10:00:00 GMT", "bytes=0-"},     // another date: start again
        {nullptr, "bytes=0-"},                             // no date at all: start again
    };
    for (const auto& c : cases) {
        server_.Reset();
        Serve("/dl/setup.exe", 5000, c.serverDate);
        const std::string partial = c.expectedRange == std::string("bytes=1000-")
                                        ? test::ServedContent(1000)
                                        : std::string(1000, 'J');  // bytes of some other build
        Write("setup.exe", partial);
        Write("setup.exe.cfg", FormatSidecar({kDate, "", 5000}));
        std::string path = directory_;
        ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_));
        EXPECT_EQ(RangeOfLastGet(), c.expectedRange) << (c.serverDate ? c.serverDate : "no date");
        EXPECT_EQ(Read("setup.exe"), test::ServedContent(5000)) << (c.serverDate ? c.serverDate : "no date");
        fs::remove(directory_ + "setup.exe");
    }
}

TEST_F(HttpDownloadTest, ProbeReadsTheValidatorsOfWhereTheRedirectsLead) {
    Json::Value file = Settings("/dl/setup_3.exe", 10);
    file["etag"] = "\"v3\"";
    server_.ServeFile(file);
    Json::Value redirect;
    redirect["path"] = "/dl/setup.exe";
    redirect["redirect"] = "/dl/setup_3.exe";
    redirect["last_modified"] = "Sun, 03 Mar 2019 08:00:00 GMT";
    server_.ServeFile(redirect);
    const auto remote = ProbeRemoteFile(server_.Url("/dl/setup.exe"));
    ASSERT_TRUE(remote);
    EXPECT_EQ(remote->record, (ResumeRecord{kDate, "\"v3\"", 10}));
    EXPECT_EQ(remote->finalUrl, server_.Url("/dl/setup_3.exe"));
}

TEST_F(HttpDownloadTest, ZeroAnnouncedLengthFailsAndCreatesNothing) {
    Json::Value file;
    file["path"] = "/dl/empty.exe";
    file["zero_length"] = true;
    file["last_modified"] = kDate;
    server_.ServeFile(file);
    std::string path;
    EXPECT_FALSE(HttpDownload(desktop_, server_.Url("/dl/empty.exe"), path, report_));
    EXPECT_TRUE(Listing(directory_).empty());
    EXPECT_EQ(RangeOfLastGet(), "(no GET)");
}

TEST_F(HttpDownloadTest, RedirectMovesTheFileToTheFinalNameAndReplacesAnOlderOne) {
    for (bool emptyRedirect : {false, true}) {
        server_.Reset();
        Serve("/dl/setup_3.exe", 3000);
        Json::Value redirect;
        redirect["path"] = "/dl/setup.exe";
        redirect["redirect"] = "/dl/setup_3.exe";
        redirect["redirect_body"] = "<html>moved</html>";
        redirect["redirect_length_zero"] = emptyRedirect;  // a redirect announcing 0 bytes is no empty file
        redirect["last_modified"] = kDate;
        server_.ServeFile(redirect);
        Write("setup_3.exe", "an older installer");

        std::string path;
        ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_)) << emptyRedirect;
        EXPECT_EQ(path, directory_ + "setup_3.exe");
        EXPECT_EQ(Read("setup_3.exe"), test::ServedContent(3000)) << "the redirect's own body is not kept";
        EXPECT_EQ(Listing(directory_), (std::vector<std::string>{"setup_3.exe", "setup_3.exe.cfg"})) << "no first name";
        fs::remove(directory_ + "setup_3.exe");
        fs::remove(directory_ + "setup_3.exe.cfg");
    }
}

TEST_F(HttpDownloadTest, RedirectReplacesAnEarlierSidecarOfTheFinalName) {
    Serve("/dl/setup_3.exe", 3000);
    Json::Value redirect;
    redirect["path"] = "/dl/setup.exe";
    redirect["redirect"] = "/dl/setup_3.exe";
    redirect["last_modified"] = kDate;
    server_.ServeFile(redirect);
    // Left by an interrupted download straight from the final address.
    Write("setup_3.exe.cfg", "[list]\nModified=Mon, 04 Mar 2019 09:00:00 GMT\n");

    std::string path;
    ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_));
    EXPECT_EQ(Read("setup_3.exe"), test::ServedContent(3000));
    EXPECT_EQ(Read("setup_3.exe.cfg"), FormatSidecar({kDate, "", 3000}));
}

TEST_F(HttpDownloadTest, UrlWithoutAFileNameFails) {
    for (const char* url : {"/dl/", "/dl/..", "/dl/. ."}) {
        std::string path;
        EXPECT_FALSE(HttpDownload(desktop_, server_.Url(url), path, report_)) << url;
    }
    std::string unchanged = directory_;
    EXPECT_FALSE(HttpDownload(desktop_, "", unchanged, report_));
    EXPECT_EQ(unchanged, directory_);
    EXPECT_TRUE(Listing(directory_).empty());
    EXPECT_EQ(Listing(root_), std::vector<std::string>{"downloads"});
}

TEST_F(HttpDownloadTest, HostileNamesStayInsideTheDirectory) {
    const struct {
        const char* urlPath;
        const char* savedAs;
    } cases[] = {
        {"/dl/..%2f..%2fevil.exe", "..%2f..%2fevil.exe"},
        {"/dl/..\\..\\evil1.exe", "evil1.exe"},
        {"/dl/C:evil2.exe", "evil2.exe"},
        {"/dl/setup.exe.", "setup.exe"},
    };
    for (const auto& c : cases) {
        std::string path;
        HttpDownload(desktop_, server_.Url(c.urlPath), path, report_);
        EXPECT_EQ(path, directory_ + c.savedAs) << c.urlPath;
        EXPECT_TRUE(Exists(c.savedAs)) << c.urlPath;
    }
    EXPECT_EQ(Listing(root_), std::vector<std::string>{"downloads"});
}

TEST_F(HttpDownloadTest, RedirectToANameWithSeparatorsStaysInsideTheDirectory) {
    const struct {
        const char* location;
        const char* savedAs;
    } cases[] = {
        {"/dl/..\\..\\moved1.exe", "moved1.exe"},
        {"/dl/sub\\C:moved2.exe?a=/b", "moved2.exe"},
        {"/dl/..%2F..%2Fmoved3.exe", "..%2F..%2Fmoved3.exe"},
    };
    for (const auto& c : cases) {
        server_.Reset();
        Serve(c.location, 700);
        Json::Value redirect;
        redirect["path"] = "/dl/setup.exe";
        redirect["redirect"] = c.location;
        redirect["last_modified"] = kDate;
        server_.ServeFile(redirect);
        std::string path;
        // The server sees the location's path as curl sends it; only the saved name matters here.
        HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_);
        EXPECT_EQ(path.rfind(directory_, 0), 0u) << c.location << " → " << path;
        EXPECT_EQ(path.find('\\', directory_.size()), std::string::npos) << path;
        EXPECT_EQ(Listing(root_), std::vector<std::string>{"downloads"}) << c.location;
    }
}

TEST_F(HttpDownloadTest, RedirectLoopFailsInsteadOfRunningForever) {
    for (const char* name : {"/dl/a.exe", "/dl/b.exe"}) {
        Json::Value redirect;
        redirect["path"] = name;
        redirect["redirect"] = name == std::string("/dl/a.exe") ? "/dl/b.exe" : "/dl/a.exe";
        redirect["last_modified"] = kDate;
        server_.ServeFile(redirect);
    }
    std::string path;
    EXPECT_FALSE(HttpDownload(desktop_, server_.Url("/dl/a.exe"), path, report_));
    std::size_t gets = 0;
    for (const auto& request : server_.Log()["requests"]) gets += request["method"].asString() == "GET";
    EXPECT_LE(gets, static_cast<std::size_t>(CurlEasy::kMaxRedirects + 2));
    EXPECT_FALSE(Exists("b.exe"));
    EXPECT_EQ(Read("a.exe"), "") << "no redirect body ends up in the file";
}

TEST_F(HttpDownloadTest, TruncatedInstallerFailsAndTheNextRunCompletesIt) {
    Json::Value file = Settings("/dl/setup.exe", 50000);
    file["truncate_at"] = 20000;
    server_.ServeFile(file);
    std::string path;
    EXPECT_FALSE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_));
    EXPECT_EQ(Read("setup.exe"), test::ServedContent(50000).substr(0, 20000)) << "what arrived is kept";

    file.removeMember("truncate_at");
    server_.ServeFile(file);
    path.clear();
    ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_));
    EXPECT_EQ(RangeOfLastGet(), "bytes=20000-");
    EXPECT_EQ(Read("setup.exe"), test::ServedContent(50000));
}

TEST(DownloadFileName, KeepsOnlyAPlainName) {
    EXPECT_EQ(DownloadFileName("http://h/dl/setup_2.exe?x=1"), "setup_2.exe");
    EXPECT_EQ(DownloadFileName("setup.exe"), "setup.exe");
    EXPECT_EQ(DownloadFileName("http://h/a/b\\c:d\\..\\e.exe"), "e.exe");
    EXPECT_EQ(DownloadFileName("http://h/a/se\ttup\x01\x7F.exe"), "setup.exe");
    EXPECT_EQ(DownloadFileName("http://h/a/..%2fx"), "..%2fx");
    for (const char* nameless : {"http://h/", "http://h/a/..", "http://h/a/.", "http://h/a/. . ", "http://h/a/\x01",
                                 "http://h/a/C:", "http://h/a/x\\"}) {
        EXPECT_EQ(DownloadFileName(nameless), std::nullopt) << nameless;
    }
}

TEST_F(HttpDownloadTest, ProgressIsPostedInOrderUpTo100) {
    Json::Value file;
    file["path"] = "/dl/slow.exe";
    file["size"] = 200000;
    file["chunks"] = 8;
    file["delay"] = 0.03;
    server_.ServeFile(file);
    std::string path;
    ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/slow.exe"), path, report_));
    desktop_.DispatchPosted();
    const auto& seen = progress_.percentages;
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(progress_.others.empty());
    EXPECT_GE(seen.front(), 1u);
    EXPECT_EQ(seen.back(), 100u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(std::set<std::uintptr_t>(seen.begin(), seen.end()).size(), 1u) << "progress before the end";
}

TEST(DownloadProgress, UnknownTotalPostsNothingAndNothingIsEverAborted) {
    sim::SimDesktop desktop;
    ProgressWindow window;
    const platform::NativeWindow target = desktop.CreateMessageWindow(window);
    const DownloadProgress report = [&](std::int32_t percent) {
        desktop.PostMessage(target, msg::kDownloadProgress, static_cast<std::uintptr_t>(percent), 0);
    };
    DownloadProgressRecord record{&report};
    EXPECT_EQ(ReportDownloadProgress(&record, 0, 0, 0, 0), 0);
    EXPECT_EQ(ReportDownloadProgress(&record, 0, 500, 0, 0), 0);
    EXPECT_EQ(ReportDownloadProgress(&record, 1000, 0, 0, 0), 0);
    EXPECT_EQ(ReportDownloadProgress(&record, 1000, 9, 0, 0), 0);  // 0.9 %
    EXPECT_EQ(ReportDownloadProgress(&record, 1000, 999, 0, 0), 0);
    EXPECT_EQ(ReportDownloadProgress(&record, 1000, 1000, 0, 0), 0);
    desktop.DispatchPosted();
    EXPECT_EQ(window.percentages, (std::vector<std::uintptr_t>{99, 100}));
}

TEST(DownloadProgress, NewPercentagesGoOutAtMostFiveTimesASecondAndTheEndAlways) {
    using namespace std::chrono_literals;
    DownloadProgressRecord record;
    const auto start = std::chrono::steady_clock::time_point{} + 1h;
    EXPECT_TRUE(record.ShouldPost(3, start)) << "the first figure at once";
    EXPECT_FALSE(record.ShouldPost(4, start + 50ms));
    EXPECT_FALSE(record.ShouldPost(5, start + 150ms));
    EXPECT_TRUE(record.ShouldPost(6, start + 200ms));
    EXPECT_FALSE(record.ShouldPost(6, start + 900ms)) << "the same figure again is not news";
    EXPECT_TRUE(record.ShouldPost(7, start + 950ms));
    EXPECT_FALSE(record.ShouldPost(8, start + 1000ms));
    EXPECT_TRUE(record.ShouldPost(100, start + 1010ms)) << "the end is always shown";
    EXPECT_FALSE(record.ShouldPost(100, start + 2s));
}

TEST(DownloadProgress, ARequestBackAtZeroPostsNoZero) {
    // After a redirect libcurl counts the followed request from zero again.
    sim::SimDesktop desktop;
    ProgressWindow window;
    const platform::NativeWindow target = desktop.CreateMessageWindow(window);
    const DownloadProgress report = [&](std::int32_t percent) {
        desktop.PostMessage(target, msg::kDownloadProgress, static_cast<std::uintptr_t>(percent), 0);
    };
    DownloadProgressRecord record{&report};
    ReportDownloadProgress(&record, 1000, 500, 0, 0);
    // Past the posting interval, so only the zero rule can hold the next figure back.
    std::this_thread::sleep_for(DownloadProgressRecord::kProgressInterval + std::chrono::milliseconds(50));
    ReportDownloadProgress(&record, 1000, 0, 0, 0);
    desktop.DispatchPosted();
    EXPECT_EQ(window.percentages, (std::vector<std::uintptr_t>{50}));
}

TEST(DownloadProgress, MoreThanAnnouncedShowsAsAHundredPercent) {
    sim::SimDesktop desktop;
    ProgressWindow window;
    const platform::NativeWindow target = desktop.CreateMessageWindow(window);
    const DownloadProgress report = [&](std::int32_t percent) {
        desktop.PostMessage(target, msg::kDownloadProgress, static_cast<std::uintptr_t>(percent), 0);
    };
    // A record per download: each first figure is posted.
    for (const auto& [total, now] : {std::pair<double, double>{1000, 1500}, {1, 1e300}, {1000, 250}}) {
        DownloadProgressRecord record{&report};
        EXPECT_EQ(ReportDownloadProgress(&record, total, now, 0, 0), 0);
    }
    desktop.DispatchPosted();
    EXPECT_EQ(window.percentages, (std::vector<std::uintptr_t>{100, 100, 25}));
}

TEST_F(HttpDownloadTest, NothingListeningFailsAndLeavesNoSidecar) {
    // A port that is bound but not listening refuses every connection.
    const int refusing = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ASSERT_EQ(::bind(refusing, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::getsockname(refusing, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/dl/setup.exe";

    Write("setup.exe", "partial");
    std::string path;
    EXPECT_FALSE(HttpDownload(desktop_, url, path, report_));
    ::close(refusing);
    EXPECT_EQ(path, directory_ + "setup.exe");
    EXPECT_FALSE(Exists("setup.exe.cfg"));
}

TEST_F(HttpDownloadTest, AnEarlierCompleteDownloadIsWholeWhenTheServerHasNothingMore) {
    Serve("/dl/setup.exe", 5000);
    std::string path;
    ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_));
    // The next run asks for the rest, gets 416 and keeps the file as it is.
    path.clear();
    EXPECT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_));
    EXPECT_EQ(RangeOfLastGet(), "bytes=5000-");
    EXPECT_EQ(Read("setup.exe"), test::ServedContent(5000)) << "no error page appended";

    // A 416 that does not fit the record says the file is not what was recorded: start afresh next time.
    Write("setup.exe", test::ServedContent(4000));
    Json::Value refusing = Settings("/dl/setup.exe", 5000);
    refusing["status"] = 416;
    server_.ServeFile(refusing);
    path.clear();
    EXPECT_FALSE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_));
    EXPECT_TRUE(Listing(directory_).empty());
}

TEST_F(HttpDownloadTest, RedirectsOfEveryKindGiveTheFileAndNeverTheirOwnBody) {
    for (int status : {301, 302, 303, 307, 308}) {
        server_.Reset();
        Serve("/dl/setup_3.exe", 3000);
        Json::Value redirect;
        redirect["path"] = "/dl/setup.exe";
        redirect["redirect"] = "/dl/setup_3.exe";
        redirect["redirect_status"] = status;
        redirect["redirect_body"] = "<html>moved</html>";
        server_.ServeFile(redirect);
        std::string path;
        ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_)) << status;
        EXPECT_EQ(path, directory_ + "setup_3.exe") << status;
        EXPECT_EQ(Read("setup_3.exe"), test::ServedContent(3000)) << status;
        fs::remove_all(directory_);
        fs::create_directories(directory_);
    }
}

TEST_F(HttpDownloadTest, ErrorAnswersAndRedirectsThatLeadNowhereAreNeverSaved) {
    Json::Value failing = Settings("/dl/setup.exe", 3000);
    Json::Value nowhere;
    nowhere["path"] = "/dl/moved.exe";
    nowhere["redirect"] = "/dl/missing.exe";
    nowhere["redirect_body"] = "<html>moved</html>";
    server_.ServeFile(nowhere);
    for (int status : {404, 500, 503}) {
        failing["status"] = status;
        server_.ServeFile(failing);
        std::string path;
        EXPECT_FALSE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_)) << status;
        EXPECT_EQ(Read("setup.exe"), "") << status;
    }
    std::string path;
    EXPECT_FALSE(HttpDownload(desktop_, server_.Url("/dl/moved.exe"), path, report_));
    EXPECT_EQ(Read("missing.exe"), "");
}

TEST_F(HttpDownloadTest, AServerThatIgnoresTheRangeReplacesThePartialFile) {
    Json::Value file = Settings("/dl/setup.exe", 5000);
    file["ignore_range"] = true;
    server_.ServeFile(file);
    Write("setup.exe", test::ServedContent(1000));
    Write("setup.exe.cfg", FormatSidecar({kDate, "", 5000}));
    std::string path;
    ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_));
    EXPECT_EQ(RangeOfLastGet(), "bytes=1000-");
    EXPECT_EQ(Read("setup.exe"), test::ServedContent(5000)) << "the whole file once, nothing appended";
}

TEST_F(HttpDownloadTest, PlantedLinksAndFilesAreNeverWrittenThrough) {
    Serve("/dl/setup.exe", 3000);
    const std::string outside = (root_ / "victim").string();
    std::ofstream(outside) << "precious";
    for (const char* name : {"setup.exe", "setup.exe.cfg"}) {
        fs::create_symlink(outside, directory_ + name);
        std::string path;
        ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_)) << name;
        EXPECT_EQ(test::ReadFile(outside), "precious") << name;
        EXPECT_FALSE(fs::is_symlink(directory_ + name)) << name;
        EXPECT_EQ(Read("setup.exe"), test::ServedContent(3000)) << name;
        fs::remove(directory_ + "setup.exe");
        fs::remove(directory_ + "setup.exe.cfg");
    }
    // A second name of another file, with a sidecar that would allow resuming it.
    fs::create_hard_link(outside, directory_ + "setup.exe");
    Write("setup.exe.cfg", FormatSidecar({kDate, "", 3000}));
    std::string path;
    ASSERT_TRUE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_));
    EXPECT_EQ(RangeOfLastGet(), "bytes=0-");
    EXPECT_EQ(test::ReadFile(outside), "precious");
    EXPECT_EQ(Read("setup.exe"), test::ServedContent(3000));
}

TEST_F(HttpDownloadTest, OnlyHttpAndHttpsAreSpoken) {
    const std::string local = (root_ / "local.exe").string();
    std::ofstream(local) << "a local file";
    std::string path;
    EXPECT_FALSE(ProbeRemoteFile("file://" + local));
    EXPECT_FALSE(HttpDownload(desktop_, "file://" + local, path, report_));
    Json::Value redirect;
    redirect["path"] = "/dl/local.exe";
    redirect["redirect"] = "file://" + local;
    server_.ServeFile(redirect);
    path.clear();
    EXPECT_FALSE(HttpDownload(desktop_, server_.Url("/dl/local.exe"), path, report_));
    EXPECT_EQ(Read("local.exe"), "");
}

TEST_F(HttpDownloadTest, ASilentServerEndsTheDownloadInsteadOfHoldingIt) {
    CurlEasy::SetStallSecondsForTesting(2);
    Json::Value stalling = Settings("/dl/setup.exe", 3000);
    stalling["stall_get"] = true;
    server_.ServeFile(stalling);
    const auto start = std::chrono::steady_clock::now();
    std::string path;
    EXPECT_FALSE(HttpDownload(desktop_, server_.SilentUrl("/dl/setup.exe"), path, report_)) << "silent probe";
    path.clear();
    EXPECT_FALSE(HttpDownload(desktop_, server_.Url("/dl/setup.exe"), path, report_)) << "silent transfer";
    CurlEasy::SetStallSecondsForTesting(0);
    // Generous: a download that never ends would hold the test until ctest's limit.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_TRUE(Exists("setup.exe.cfg")) << "the record stays for a later run";
}

}  // namespace
}  // namespace zintra
