#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "online/DownloadFile.h"
#include "online/DownloadState.h"
#include "tests/unit/support/TestFiles.h"

namespace zintra {
namespace {

namespace fs = std::filesystem;

constexpr char kDate[] = "Mon, 04 Mar 2019 08:00:00 GMT";

TEST(Sidecar, RecordsSurviveTheirTextAndForeignTextRecordsNothing) {
    const ResumeRecord record{kDate, "\"abc\"", 123456789012ull};
    EXPECT_EQ(ParseSidecar(FormatSidecar(record)), record);
    // A value cannot end its line and start another key.
    const ResumeRecord injected{"x\r\nLength=1", "", 7};
    EXPECT_EQ(ParseSidecar(FormatSidecar(injected))->length, 7u);
    EXPECT_EQ(ParseSidecar(FormatSidecar({"x\n[other]", "", 7}))->length, 7u) << "nor start another section";
    EXPECT_EQ(ParseSidecar("[list]\nmodified = " + std::string(kDate) + "\n")->modified, kDate);
    // A stray carriage return is read as the record would be written.
    const auto stray = ParseSidecar("[list]\nModified=a\rb\nLength=1\n");
    EXPECT_EQ(stray->modified, "ab");
    EXPECT_EQ(ParseSidecar(FormatSidecar(*stray)), stray);
    for (const char* foreign : {"", "[list]\r\nLength=5\r\n", "[other]\r\nModified=x\r\n",
                                "[list]\r\nModified=x\r\nLength=-1\r\n", "[list]\r\nETag=x\r\nLength=99999999999999999999\r\n"}) {
        EXPECT_EQ(ParseSidecar(foreign), std::nullopt) << foreign;
    }
}

TEST(ServerAnswer, HeadersAreReadWithoutRegardToCase) {
    const std::string headers =
        "HTTP/1.1 206 Partial Content\r\nlast-modified: " + std::string(kDate) +
        "\r\nETAG: \"v1\"\r\nContent-Length: 400\r\nContent-Range: bytes 100-499/500\r\n\r\n";
    EXPECT_EQ(StatusOfHeaders(headers), 206);
    EXPECT_EQ(ServerRecord(headers), (ResumeRecord{kDate, "\"v1\"", 400}));
    EXPECT_EQ(HeaderValue(headers, "content-range"), "bytes 100-499/500");
    EXPECT_EQ(HeaderValue(headers, "Location"), std::nullopt);
    EXPECT_EQ(StatusOfHeaders("garbage"), 0);
}

TEST(ServerAnswer, OnlyAMatchingRecordAllowsResuming) {
    const ResumeRecord stored{kDate, "\"v1\"", 500};
    EXPECT_TRUE(MayResume(stored, {"MON, 04 MAR 2019 08:00:00 GMT", "\"v1\"", 500}, 200));
    EXPECT_TRUE(MayResume(stored, stored, 500)) << "a whole file is asked for its end";
    EXPECT_FALSE(MayResume(stored, stored, 501));
    EXPECT_FALSE(MayResume(stored, {kDate, "\"v2\"", 500}, 200));
    EXPECT_FALSE(MayResume(stored, {"Tue, 05 Mar 2019 08:00:00 GMT", "\"v1\"", 500}, 200));
    EXPECT_FALSE(MayResume(stored, {kDate, "\"v1\"", 600}, 200));
    EXPECT_FALSE(MayResume({"", "", 500}, {"", "", 500}, 200)) << "nothing to compare is no match";
}

TEST(ServerAnswer, OnlyA206ThatContinuesTheFileIsAppended) {
    const auto headers = [](long status, const char* range) {
        return "HTTP/1.1 " + std::to_string(status) + " X\r\n" + (range ? std::string("Content-Range: ") + range + "\r\n" : "");
    };
    EXPECT_EQ(PlanBody(206, headers(206, "bytes 100-499/500"), 100), BodyPlan::Append);
    EXPECT_EQ(PlanBody(206, headers(206, "bytes 0-499/*"), 0), BodyPlan::Append);
    EXPECT_EQ(PlanBody(206, headers(206, "bytes 0-499/500"), 100), BodyPlan::Refuse);
    EXPECT_EQ(PlanBody(206, headers(206, nullptr), 100), BodyPlan::Refuse);
    EXPECT_EQ(PlanBody(206, headers(206, "bytes 100-99/500"), 100), BodyPlan::Refuse);
    for (long status : {200L, 203L, 204L}) EXPECT_EQ(PlanBody(status, headers(status, nullptr), 100), BodyPlan::Restart);
    for (long status : {100L, 301L, 302L, 304L, 404L, 416L, 500L}) {
        EXPECT_EQ(PlanBody(status, headers(status, nullptr), 100), BodyPlan::Refuse) << status;
    }
}

TEST(ServerAnswer, A416MeansWholeOnlyWhenTheLengthsAgree) {
    const ResumeRecord record{kDate, "", 500};
    EXPECT_TRUE(RangeAnswerMeansComplete("HTTP/1.1 416 X\r\nContent-Range: bytes */500\r\n", record, 500));
    EXPECT_TRUE(RangeAnswerMeansComplete("HTTP/1.1 416 X\r\n", record, 500));
    EXPECT_FALSE(RangeAnswerMeansComplete("HTTP/1.1 416 X\r\nContent-Range: bytes */600\r\n", record, 500));
    EXPECT_FALSE(RangeAnswerMeansComplete("HTTP/1.1 416 X\r\n", record, 400));
    EXPECT_FALSE(RangeAnswerMeansComplete("HTTP/1.1 416 X\r\n", {kDate, "", 0}, 0));
    EXPECT_FALSE(RangeAnswerMeansComplete("HTTP/1.1 416 X\r\nContent-Range: bytes */0\r\n", {kDate, "", 0}, 0));
}

class DownloadFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("zintra-downloadfile-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        std::ofstream(Path("victim")) << "precious";
    }
    void TearDown() override { fs::remove_all(root_); }
    std::string Path(const char* name) const { return (root_ / name).string(); }
    fs::path root_;
};

TEST_F(DownloadFileTest, ANewFileIsCreatedOnlyWhereNothingIs) {
    fs::create_symlink(Path("victim"), Path("link"));
    fs::create_symlink(Path("nowhere"), Path("dangling"));
    for (const char* taken : {"victim", "link", "dangling"}) EXPECT_FALSE(DownloadFile::CreateNew(Path(taken))) << taken;
    EXPECT_FALSE(fs::exists(Path("nowhere"))) << "a dangling link does not create its target";
    DownloadFile file = DownloadFile::CreateNew(Path("new"));
    ASSERT_TRUE(file);
    EXPECT_EQ(fs::status(Path("new")).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(test::ReadFile(Path("victim")), "precious");
}

TEST_F(DownloadFileTest, OnlyAnOwnPlainFileWithOneNameIsOpened) {
    fs::create_symlink(Path("victim"), Path("link"));
    fs::create_hard_link(Path("victim"), Path("second-name"));
    fs::create_directory(Path("folder"));
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    for (const char* refused : {"link", "second-name", "folder", "fifo", "missing"}) {
        EXPECT_FALSE(DownloadFile::OpenOwn(Path(refused), true)) << refused;
    }
    fs::remove(Path("second-name"));
    EXPECT_TRUE(DownloadFile::OpenOwn(Path("victim"), false));
    // Root may hand a file to another user; everyone else cannot, and has nothing to test here.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(Path("victim").c_str(), 4242, 4242), 0);
        EXPECT_FALSE(DownloadFile::OpenOwn(Path("victim"), false)) << "a file of another user";
    }
}

TEST_F(DownloadFileTest, RemovingAndMovingTouchNamesNeverWhatLinksPointTo) {
    fs::create_symlink(Path("victim"), Path("link"));
    EXPECT_TRUE(RemoveDownloadEntry(Path("link")));
    EXPECT_TRUE(RemoveDownloadEntry(Path("link"))) << "nothing left under the name is success";
    EXPECT_EQ(test::ReadFile(Path("victim")), "precious");
    fs::create_directories(Path("folder/inside"));
    EXPECT_FALSE(RemoveDownloadEntry(Path("folder"))) << "a name that cannot be removed fails";

    std::ofstream(Path("download")) << "new";
    fs::create_symlink(Path("victim"), Path("final"));
    EXPECT_TRUE(MoveDownloadEntry(Path("download"), Path("final")));
    EXPECT_EQ(test::ReadFile(Path("final")), "new");
    EXPECT_FALSE(fs::is_symlink(Path("final")));
    EXPECT_EQ(test::ReadFile(Path("victim")), "precious");
    EXPECT_FALSE(MoveDownloadEntry(Path("final"), Path("folder"))) << "a failed removal fails the move";
    EXPECT_TRUE(fs::exists(Path("final")));
}

}  // namespace
}  // namespace zintra
