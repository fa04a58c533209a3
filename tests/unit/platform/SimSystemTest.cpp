#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "sim/SimSystem.h"
#include "tests/unit/support/TestFiles.h"

namespace zintra::sim {
namespace {

namespace fs = std::filesystem;

class SimSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() /
                     ("zintra-simsystem-" + std::to_string(::getpid()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    std::string PathOf(const std::string& name) const { return (directory_ / name).string(); }
    static std::string Contents(const std::string& path) { return test::ReadFile(path); }

    fs::path directory_;
    SimSystem system_;
};

TEST_F(SimSystemTest, ProfileValueWrittenIntoANewFileReadsBackIgnoringCase) {
    const std::string ini = PathOf("setup.exe.cfg");
    ASSERT_TRUE(system_.WriteProfileValue("list", "Modified", "Mon, 04 Mar 2019 08:00:00 GMT", ini));
    EXPECT_EQ(Contents(ini), "[list]\r\nModified=Mon, 04 Mar 2019 08:00:00 GMT\r\n");
    EXPECT_EQ(system_.ReadProfileValue("LIST", "modified", "", ini), "Mon, 04 Mar 2019 08:00:00 GMT");
    EXPECT_EQ(system_.ReadProfileValue("list", "Other", "none", ini), "none");
    EXPECT_EQ(system_.ReadProfileValue("list", "Modified", "none", PathOf("missing.cfg")), "none");
}

TEST_F(SimSystemTest, RewritingAValueKeepsTheRestOfTheFile) {
    const std::string ini = PathOf("mixed.ini");
    std::ofstream(ini, std::ios::binary) << "[other]\r\nModified=keep\r\n[list]\r\n  Modified = old \r\nA=1\r\n";
    ASSERT_TRUE(system_.WriteProfileValue("list", "modified", "new", ini));
    ASSERT_TRUE(system_.WriteProfileValue("list", "B", "2", ini));
    ASSERT_TRUE(system_.WriteProfileValue("third", "C", "\"quoted\"", ini));
    EXPECT_EQ(Contents(ini),
              "[other]\r\nModified=keep\r\n[list]\r\nmodified=new\r\nA=1\r\nB=2\r\n[third]\r\nC=\"quoted\"\r\n");
    EXPECT_EQ(system_.ReadProfileValue("other", "Modified", "", ini), "keep");
    EXPECT_EQ(system_.ReadProfileValue("third", "C", "", ini), "quoted");
}

TEST_F(SimSystemTest, LongProfileValuesAreCutTo259Characters) {
    const std::string ini = PathOf("long.cfg");
    ASSERT_TRUE(system_.WriteProfileValue("list", "Modified", std::string(400, 'x'), ini));
    EXPECT_EQ(system_.ReadProfileValue("list", "Modified", "", ini), std::string(259, 'x'));
}

TEST_F(SimSystemTest, RenameRefusesToReplaceAnExistingFile) {
    const std::string from = PathOf("a");
    const std::string to = PathOf("b");
    std::ofstream(from) << "a";
    std::ofstream(to) << "b";
    EXPECT_FALSE(system_.RenameFile(from, to));
    EXPECT_EQ(Contents(to), "b");
    ASSERT_TRUE(system_.RemoveFile(to));
    EXPECT_FALSE(system_.RemoveFile(to));
    EXPECT_TRUE(system_.RenameFile(from, to));
    EXPECT_FALSE(system_.FileExists(from));
    EXPECT_EQ(Contents(to), "a");
}

TEST_F(SimSystemTest, AnsiCodePageIsUtf8OnThisPlatform) {
    EXPECT_EQ(system_.ToAnsiCodePage(u"10001"), "10001");
    EXPECT_EQ(system_.ToAnsiCodePage(u"渠道\U0001F600"), "渠道\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace zintra::sim
