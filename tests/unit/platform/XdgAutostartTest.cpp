// The Linux desktop's autostart entry: how its Exec line quotes and reads
// back, and which entries count as this program's.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/linux/TextConversion.h"
#include "platform/linux/XdgAutostart.h"
#include "tests/unit/support/TestFiles.h"

namespace zintra::platform::linux_x11 {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Args(std::initializer_list<const char*> list) { return {list.begin(), list.end()}; }

TEST(XdgExecLine, PlainPathsStayBareAndReservedCharactersAreQuoted) {
    EXPECT_EQ(ExecArgument("/usr/bin/zintra"), "/usr/bin/zintra");
    EXPECT_EQ(ExecArgument("/opt/My Apps/zintra"), "\"/opt/My Apps/zintra\"");
    EXPECT_EQ(ExecArgument("/opt/a$b/zintra"), "\"/opt/a\\\\$b/zintra\"") << "\\$ inside quotes, its \\ escaped for the value";
    EXPECT_EQ(ExecArgument("/opt/a\"b"), "\"/opt/a\\\\\"b\"");
    EXPECT_EQ(ExecArgument("/opt/a\\b"), "\"/opt/a\\\\\\\\b\"") << "a backslash is doubled twice";
    EXPECT_EQ(ExecArgument("/opt/100%/zintra"), "/opt/100%%/zintra") << "% is not a field code";
    EXPECT_EQ(ExecArgument(""), "\"\"");
}

TEST(XdgExecLine, EveryPathReadsBackAsOneArgument) {
    for (const char* path : {"/usr/bin/zintra", "/opt/My Apps/zintra", "/a$b`c\"d\\e'f/zintra", "/x/100% sure/(z)",
                             "/home/用户/程序 目录/zintra", "/a;b&c|d<e>f~g*h?i#j/zintra", "/%f/zintra"}) {
        const auto arguments = SplitExec(ExecArgument(path) + " -auto");
        ASSERT_TRUE(arguments) << path;
        EXPECT_EQ(*arguments, Args({path, "-auto"})) << path;
    }
}

TEST(XdgExecLine, SplittingFollowsTheDesktopRules) {
    EXPECT_EQ(*SplitExec("zintra  -auto"), Args({"zintra", "-auto"}));
    EXPECT_EQ(*SplitExec("/usr/bin/zintra %U -auto"), Args({"/usr/bin/zintra", "-auto"})) << "field codes are dropped";
    EXPECT_EQ(*SplitExec("\"/opt/My\\sApps/zintra\""), Args({"/opt/My Apps/zintra"})) << "the value's \\s is a blank";
    EXPECT_EQ(*SplitExec(""), Args({}));
    EXPECT_FALSE(SplitExec("\"/opt/unclosed -auto")) << "broken quoting is no command";
}

TEST(XdgEntryText, IsAnApplicationEntryStartingTheProgramHidden) {
    const std::string text = AutostartEntryText("/opt/My Apps/zintra");
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=\"/opt/My Apps/zintra\" -auto\n"), std::string::npos);
    // The session skips the entry once the program is gone (a string value: no quoting).
    EXPECT_NE(text.find("\nTryExec=/opt/My Apps/zintra\n"), std::string::npos);
    EXPECT_NE(AutostartEntryText("/opt/a\\b/zintra").find("\nTryExec=/opt/a\\\\b/zintra\n"), std::string::npos);
    const AutostartEntry entry = ReadAutostartEntry(text);
    ASSERT_TRUE(entry.exec);
    EXPECT_EQ(*SplitExec(*entry.exec), Args({"/opt/My Apps/zintra", "-auto"}));
    EXPECT_FALSE(entry.disabled);
}

TEST(XdgEntryText, OnlyTheMainGroupCountsAndTheDisablingKeysAreRead) {
    const AutostartEntry other = ReadAutostartEntry(
        "[Desktop Action x]\nExec=/bin/other\n[Desktop Entry]\n# Exec=/bin/comment\nExec[de]=/bin/german\n"
        "Exec = /usr/bin/zintra -auto\r\nExec=/bin/second\n");
    ASSERT_TRUE(other.exec);
    EXPECT_EQ(*other.exec, "/usr/bin/zintra -auto");
    EXPECT_TRUE(ReadAutostartEntry("[Desktop Entry]\nExec=/z\nHidden=true\n").disabled);
    EXPECT_TRUE(ReadAutostartEntry("[Desktop Entry]\nExec=/z\nX-GNOME-Autostart-enabled=false\n").disabled);
    EXPECT_FALSE(ReadAutostartEntry("[Desktop Entry]\nExec=/z\nHidden=false\nX-GNOME-Autostart-enabled=true\n").disabled);
    EXPECT_FALSE(ReadAutostartEntry("[Other]\nHidden=true\n[Desktop Entry]\nExec=/z\n").disabled);
}

class XdgAutostartFiles : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("zintra-autostart-" + std::to_string(::getpid()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_ / "My Apps");
        program_ = (directory_ / "My Apps" / "zintra").string();
        std::ofstream(program_) << "#!/bin/sh\n";
        entry_ = (directory_ / "config" / "autostart" / "zintra.desktop").string();
    }
    void TearDown() override { fs::remove_all(directory_); }

    std::u16string Program() const { return FromUtf8(program_); }
    std::string Contents() const { return test::ReadFile(entry_); }
    void PutEntry(const std::string& text) { test::WriteFile(entry_, text); }

    fs::path directory_;
    std::string program_;
    std::string entry_;
};

TEST_F(XdgAutostartFiles, WritingCreatesTheFoldersAndTheEntryReadsBackAsOurs) {
    XdgAutostart autostart(entry_);
    EXPECT_EQ(autostart.Query(Program()), false) << "no entry yet";
    ASSERT_TRUE(autostart.Write(Program()));
    EXPECT_EQ(Contents(), AutostartEntryText(program_));
    EXPECT_EQ(autostart.Query(Program()), true);
    EXPECT_EQ(fs::status(entry_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    // Nothing but the entry is left in the folder: the temporary file was renamed.
    int files = 0;
    for (const auto& item : fs::directory_iterator(fs::path(entry_).parent_path())) {
        EXPECT_EQ(item.path().filename(), "zintra.desktop");
        ++files;
    }
    EXPECT_EQ(files, 1);
    ASSERT_TRUE(autostart.Remove(Program()));
    EXPECT_FALSE(fs::exists(entry_));
    EXPECT_EQ(autostart.Query(Program()), false);
}

TEST_F(XdgAutostartFiles, AnotherProgramsEntryIsNotOursAndIsNotRemoved) {
    const std::string foreign = "[Desktop Entry]\nType=Application\nExec=/usr/bin/zintra -auto\n";
    PutEntry(foreign);
    XdgAutostart autostart(entry_);
    EXPECT_EQ(autostart.Query(Program()), false);
    EXPECT_TRUE(autostart.Remove(Program()));
    EXPECT_EQ(Contents(), foreign) << "left as it was";
    ASSERT_TRUE(autostart.Write(Program())) << "ticking the box makes the entry ours";
    EXPECT_EQ(autostart.Query(Program()), true);
}

TEST_F(XdgAutostartFiles, OurEntrySwitchedOffOrBrokenReadsAsOff) {
    XdgAutostart autostart(entry_);
    const std::string exec = "Exec=" + ExecArgument(program_) + " -auto\n";
    PutEntry("[Desktop Entry]\n" + exec + "Hidden=true\n");
    EXPECT_EQ(autostart.Query(Program()), false);
    PutEntry("[Desktop Entry]\n" + exec + "X-GNOME-Autostart-enabled=false\n");
    EXPECT_EQ(autostart.Query(Program()), false);
    PutEntry("[Desktop Entry]\nExec=\"" + program_ + " -auto\n");
    EXPECT_EQ(autostart.Query(Program()), false) << "unclosed quote";
    PutEntry("[Desktop Entry]\nType=Application\n");
    EXPECT_EQ(autostart.Query(Program()), false) << "no Exec";
    PutEntry(std::string(100 * 1024, '#'));
    EXPECT_EQ(autostart.Query(Program()), false) << "far too long for an entry";
    PutEntry("[Desktop Entry]\n" + exec);
    EXPECT_EQ(autostart.Query(Program()), true);
}

TEST_F(XdgAutostartFiles, AnEntryThroughALinkToTheProgramIsOurs) {
    const std::string link = (directory_ / "zintra-link").string();
    fs::create_symlink(program_, link);
    PutEntry("[Desktop Entry]\nExec=" + link + " -auto\n");
    XdgAutostart autostart(entry_);
    EXPECT_EQ(autostart.Query(Program()), true);
    EXPECT_TRUE(autostart.Remove(Program()));
    EXPECT_FALSE(fs::exists(entry_));
}

TEST_F(XdgAutostartFiles, AProgramReplacedWhileRunningStillKnowsItsEntry) {
    // What /proc/self/exe says after a package upgrade replaced the running file.
    const std::u16string replaced = Program() + u" (deleted)";
    XdgAutostart autostart(entry_);
    ASSERT_TRUE(autostart.Write(replaced));
    EXPECT_EQ(Contents(), AutostartEntryText(program_)) << "the entry names the path, not the gone file";
    EXPECT_EQ(autostart.Query(replaced), true);
    EXPECT_TRUE(autostart.Remove(replaced));
    EXPECT_FALSE(fs::exists(entry_));
}

TEST_F(XdgAutostartFiles, APathThatNamesNothingOrCannotBeWrittenIsRefused) {
    XdgAutostart autostart(entry_);
    EXPECT_FALSE(autostart.Write(u"")) << "no path";
    EXPECT_FALSE(autostart.Write(u"zintra")) << "not absolute";
    EXPECT_FALSE(autostart.Write(FromUtf8(program_ + "\xFF"))) << "a name that was not UTF-8 names nothing";
    EXPECT_FALSE(fs::exists(entry_));
}

TEST_F(XdgAutostartFiles, AnUnreadableEntryIsNeitherAnsweredNorRemoved) {
    fs::create_directories(entry_);  // opens, but cannot be read (also for root)
    XdgAutostart autostart(entry_);
    EXPECT_EQ(autostart.Query(Program()), std::nullopt);
    EXPECT_FALSE(autostart.Remove(Program()));
    EXPECT_TRUE(fs::is_directory(entry_));
}

TEST_F(XdgAutostartFiles, AnOlderEntryOfOursGainsTryExecAndKeepsEverythingElse) {
    XdgAutostart autostart(entry_);
    const std::string exec = "Exec=" + ExecArgument(program_) + " -auto\n";
    // As the program wrote it before, then switched off by the desktop's settings.
    const std::string older = "# by hand\n[Desktop Entry]\r\nType=Application\n" + exec + "Hidden=true\n[Other]\nX=1";
    PutEntry(older);
    ASSERT_TRUE(autostart.Upgrade(Program()));
    EXPECT_EQ(Contents(), "# by hand\n[Desktop Entry]\r\nTryExec=" + program_ + "\nType=Application\n" + exec +
                              "Hidden=true\n[Other]\nX=1");
    EXPECT_EQ(autostart.Query(Program()), false) << "still switched off";
    EXPECT_FALSE(autostart.Upgrade(Program())) << "once is enough";

    // An entry through a link keeps naming the link.
    const std::string link = (directory_ / "zintra-link").string();
    fs::create_symlink(program_, link);
    PutEntry("[Desktop Entry]\nExec=" + link + " -auto");
    ASSERT_TRUE(autostart.Upgrade(Program()));
    EXPECT_EQ(Contents(), "[Desktop Entry]\nTryExec=" + link + "\nExec=" + link + " -auto");
}

TEST_F(XdgAutostartFiles, OnlyOurEntryWithoutTryExecIsUpgraded) {
    XdgAutostart autostart(entry_);
    EXPECT_FALSE(autostart.Upgrade(Program())) << "no entry";
    EXPECT_FALSE(fs::exists(entry_));
    const std::string foreign = "[Desktop Entry]\nExec=/usr/bin/zintra -auto\n";
    PutEntry(foreign);
    EXPECT_FALSE(autostart.Upgrade(Program()));
    EXPECT_EQ(Contents(), foreign);
    const std::string current = AutostartEntryText(program_);
    PutEntry(current);
    EXPECT_FALSE(autostart.Upgrade(Program()));
    EXPECT_EQ(Contents(), current);
    const std::string groupless = "Exec=" + ExecArgument(program_) + " -auto\n";
    PutEntry(groupless);
    EXPECT_FALSE(autostart.Upgrade(Program()));
    EXPECT_EQ(Contents(), groupless);
}

TEST(XdgAutostartPath, FollowsTheConfigHomeAndFallsBackToTheHomeFolder) {
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string keepConfig = savedConfig != nullptr ? savedConfig : "";
    const std::string keepHome = savedHome != nullptr ? savedHome : "";
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(AutostartEntryPath(), "/tmp/cfg/autostart/zintra.desktop");
    ::setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    EXPECT_EQ(AutostartEntryPath(), "/home/someone/.config/autostart/zintra.desktop") << "a relative one is ignored";
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(AutostartEntryPath(), "/home/someone/.config/autostart/zintra.desktop");
    if (savedConfig != nullptr) ::setenv("XDG_CONFIG_HOME", keepConfig.c_str(), 1);
    if (savedHome != nullptr) ::setenv("HOME", keepHome.c_str(), 1); else ::unsetenv("HOME");
}

}  // namespace
}  // namespace zintra::platform::linux_x11
