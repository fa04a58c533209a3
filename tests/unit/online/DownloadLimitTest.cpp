#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "online/HttpDownload.h"
#include "online/TransferSink.h"
#include "platform/Messages.h"
#include "sim/SimDesktop.h"
#include "tests/unit/support/TestHttpServer.h"
#include "tests/unit/support/TestFiles.h"

namespace zintra {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMiB = 1024 * 1024;

class Percentages final : public platform::MessageHandler {
public:
    std::vector<std::uintptr_t> seen;
    std::optional<std::intptr_t> HandleMessage(platform::NativeWindow, std::uint32_t message, std::uintptr_t wParam,
                                               std::intptr_t) override {
        if (message == msg::kDownloadProgress) seen.push_back(wParam);
        return 0;
    }
};

class DownloadLimitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Running());
        directory = fs::temp_directory_path() / ("zintra-limit-" + std::to_string(::getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
        desktop.System().SetTemporaryDirectory(directory.string() + "/");
        window = desktop.CreateMessageWindow(progress);
    }
    void TearDown() override { fs::remove_all(directory); }

    bool Download(const std::string& name) {
        std::string path;
        const DownloadProgress report = [this](std::int32_t percent) {
            desktop.PostMessage(window, msg::kDownloadProgress, static_cast<std::uintptr_t>(percent), 0);
        };
        const bool ok = HttpDownload(desktop, server.Url("/dl/" + name), path, report);
        desktop.DispatchPosted();
        return ok;
    }
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
        return names;
    }
    void ExpectProgressAtMost100() const {
        for (const auto percent : progress.seen) EXPECT_LE(percent, 100u);
    }

    test::TestHttpServer server;
    sim::SimDesktop desktop;
    Percentages progress;
    platform::NativeWindow window = 0;
    fs::path directory;
};

TEST_F(DownloadLimitTest, EndlessStreamStopsAtTheCapAndLeavesNothing) {
    Json::Value file;
    file["path"] = "/dl/setup_9.exe";
    file["endless"] = true;
    server.ServeFile(file);
    EXPECT_FALSE(Download("setup_9.exe"));
    EXPECT_TRUE(Listing().empty()) << "the partial file and its sidecar are deleted";
    ExpectProgressAtMost100();
    // The client took bytes up to the cap before it hung up (the rest sat in socket buffers).
    const Json::Value log = server.Log();
    EXPECT_GE(log["streamed"]["/dl/setup_9.exe"].asUInt64(), kMaxDownloadBytes);
    EXPECT_LT(log["streamed"]["/dl/setup_9.exe"].asUInt64(), kMaxDownloadBytes + 64 * kMiB);
}

TEST_F(DownloadLimitTest, ResumedFileCountsTowardsTheCap) {
    // An earlier run left a file 1000 bytes short of the cap: there is room for 1000 more only.
    { std::ofstream create(directory / "setup_9.exe"); }
    fs::resize_file(directory / "setup_9.exe", kMaxDownloadBytes - 1000);
    std::ofstream(directory / "setup_9.exe.cfg") << FormatSidecar({"Mon, 04 Mar 2019 08:00:00 GMT", "", 0});
    Json::Value file;
    file["path"] = "/dl/setup_9.exe";
    file["endless"] = true;
    server.ServeFile(file);
    EXPECT_FALSE(Download("setup_9.exe"));
    EXPECT_TRUE(Listing().empty());
    const Json::Value log = server.Log();
    EXPECT_LT(log["streamed"]["/dl/setup_9.exe"].asUInt64(), 64 * kMiB) << "room for 1000 bytes only";
}

TEST_F(DownloadLimitTest, NothingPastTheAnnouncedLengthIsKept) {
    Json::Value file;
    file["path"] = "/dl/setup_9.exe";
    file["size"] = static_cast<Json::UInt64>(kMiB);
    file["announce"] = static_cast<Json::UInt64>(kMiB);
    file["excess"] = static_cast<Json::UInt64>(49 * kMiB);
    server.ServeFile(file);
    EXPECT_TRUE(Download("setup_9.exe"));
    const std::string bytes = test::ReadFile(directory / "setup_9.exe");
    EXPECT_EQ(bytes.size(), kMiB);
    EXPECT_TRUE(bytes == test::ServedContent(kMiB)) << "the announced bytes, nothing after them";
    ASSERT_FALSE(progress.seen.empty());
    EXPECT_EQ(progress.seen.back(), 100u);
    ExpectProgressAtMost100();
}

TEST_F(DownloadLimitTest, AnnouncedLengthAboveTheCapFailsBeforeAnyByte) {
    std::ofstream(directory / "setup_9.exe") << "an earlier part";
    Json::Value file;
    file["path"] = "/dl/setup_9.exe";
    file["size"] = 1000;
    file["announce"] = static_cast<Json::UInt64>(kMaxDownloadBytes + 1);
    server.ServeFile(file);
    EXPECT_FALSE(Download("setup_9.exe"));
    EXPECT_TRUE(Listing().empty());
}

TEST(DownloadLimitSink, FileSinkTakesBytesUpToItsRoomAndRefusesTheChunkPastIt) {
    const fs::path path = fs::temp_directory_path() / ("zintra-sink-" + std::to_string(::getpid()));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    TransferSink sink(file);
    sink.fileRoom = 10;
    char bytes[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    EXPECT_EQ(AppendToSink(bytes, 1, 6, &sink), 6u);
    EXPECT_FALSE(sink.overflowed);
    EXPECT_EQ(AppendToSink(bytes, 1, 5, &sink), 0u) << "would pass the room: refused whole";
    EXPECT_TRUE(sink.overflowed);
    EXPECT_EQ(AppendToSink(bytes, 1, 4, &sink), 4u) << "exactly up to the room";
    std::fclose(file);
    EXPECT_EQ(fs::file_size(path), 10u);
    fs::remove(path);
}

TEST(DownloadLimitProgress, MoreBytesThanAnnouncedStillShow100) {
    sim::SimDesktop desktop;
    Percentages window;
    const platform::NativeWindow target = desktop.CreateMessageWindow(window);
    const DownloadProgress report = [&](std::int32_t percent) {
        desktop.PostMessage(target, msg::kDownloadProgress, static_cast<std::uintptr_t>(percent), 0);
    };
    DownloadProgressRecord record{&report};
    ReportDownloadProgress(&record, 1000, 5000, 0, 0);
    ReportDownloadProgress(&record, 1000, 1e18, 0, 0);
    desktop.DispatchPosted();
    // Each new percentage is posted once.
    EXPECT_EQ(window.seen, (std::vector<std::uintptr_t>{100}));
}

}  // namespace
}  // namespace zintra
