// Start with the system where the desktop keeps an autostart entry (Linux):
// the settings window's box reads and writes that entry, not the Run value.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/TextConversion.h"
#include "platform/linux/XdgAutostart.h"
#include "tests/unit/settings/SettingsFixture.h"
#include "tests/unit/support/TestFiles.h"

namespace zintra::test {
namespace {

namespace fs = std::filesystem;
using platform::linux_x11::AutostartEntryText;
using platform::linux_x11::XdgAutostart;

class StartWithTheDesktop : public SettingsWindow {
protected:
    StartWithTheDesktop() {
        directory_ = fs::temp_directory_path() / ("zintra-xdg-settings-" + std::to_string(::getpid()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_ / "Zintra Apps");
        program_ = (directory_ / "Zintra Apps" / "zintra").string();
        std::ofstream(program_) << "";
        entry_ = (directory_ / "config" / "autostart" / "zintra.desktop").string();
        autostart_ = std::make_unique<XdgAutostart>(entry_);
        ui.desktop.System().SetExecutablePath(platform::linux_x11::FromUtf8(program_));
        ui.desktop.SetAutoStart(autostart_.get());
        MakeRunKey();
    }
    ~StartWithTheDesktop() override {
        ui.desktop.SetAutoStart(nullptr);
        fs::remove_all(directory_);
    }

    bool OpenAndReadBox(bool clickBox = false, const char* endWith = "btn_sure") {
        bool ticked = false;
        Open([&](HeadlessDriver& driver) {
            ShowPage(driver, 1);
            ticked = Checked(driver, "chk_setAutoRun");
            if (clickBox) {
                ASSERT_TRUE(driver.Click("chk_setAutoRun"));
            }
            ASSERT_TRUE(driver.Click(endWith));
        });
        return ticked;
    }
    std::optional<std::string> Entry() const {
        if (!fs::exists(entry_)) return std::nullopt;
        return test::ReadFile(entry_);
    }
    void PutEntry(const std::string& text) { test::WriteFile(entry_, text); }

    fs::path directory_;
    std::string program_;
    std::string entry_;
    std::unique_ptr<XdgAutostart> autostart_;
};

TEST_F(StartWithTheDesktop, TickingAndConfirmingWritesTheEntryAndUntickingRemovesIt) {
    EXPECT_FALSE(OpenAndReadBox(/*clickBox=*/true));
    ASSERT_TRUE(Entry());
    EXPECT_EQ(*Entry(), AutostartEntryText(program_));
    EXPECT_NE(Entry()->find("\nExec=\"" + program_ + "\" -auto\n"), std::string::npos) << *Entry();
    EXPECT_FALSE(RunEntry()) << "the Run value is not this system's";
    EXPECT_EQ(settings.autoRun, 1);

    EXPECT_TRUE(OpenAndReadBox(/*clickBox=*/true)) << "reopening shows the box ticked";
    EXPECT_FALSE(Entry());
    EXPECT_EQ(settings.autoRun, 0);
    EXPECT_FALSE(OpenAndReadBox());
}

TEST_F(StartWithTheDesktop, AnotherProgramsEntryShowsUntickedAndIsKeptUnlessTheBoxIsTicked) {
    const std::string foreign = "[Desktop Entry]\nType=Application\nExec=/usr/bin/zintra -auto\n";
    PutEntry(foreign);
    settings.autoRun = 1;  // what an older record may say
    EXPECT_FALSE(OpenAndReadBox());
    EXPECT_EQ(settings.autoRun, 0);
    EXPECT_EQ(Entry(), foreign) << "confirming an unticked box keeps the other entry";

    EXPECT_FALSE(OpenAndReadBox(/*clickBox=*/true));
    EXPECT_EQ(Entry(), AutostartEntryText(program_)) << "ticking replaces it with ours";
}

TEST_F(StartWithTheDesktop, ASwitchedOffEntryShowsUntickedAndTickingSwitchesItOn) {
    PutEntry("[Desktop Entry]\nExec=\"" + program_ + "\" -auto\nHidden=true\n");
    EXPECT_FALSE(OpenAndReadBox(/*clickBox=*/true));
    EXPECT_EQ(Entry(), AutostartEntryText(program_));
    EXPECT_TRUE(OpenAndReadBox());
}

TEST_F(StartWithTheDesktop, ClosingWithoutConfirmingLeavesTheEntryAlone) {
    OpenAndReadBox(/*clickBox=*/true, "btn_close");
    EXPECT_FALSE(Entry());
}

}  // namespace
}  // namespace zintra::test
