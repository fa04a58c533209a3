// Start with the system: the settings window's box shows whether the Run key
// holds our entry, and confirming adds or removes it.
#include "tests/unit/settings/SettingsFixture.h"

namespace zintra::test {
namespace {

constexpr char16_t kExecutable[] = u"C:\\Program Files\\Zintra\\zintra.exe";

class StartWithTheSystem : public SettingsWindow {
protected:
    StartWithTheSystem() {
        ui.desktop.System().SetExecutablePath(kExecutable);
        MakeRunKey();
    }

    // Opens the window, reads the box on page 1 and optionally clicks it and confirms.
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
};

TEST_F(StartWithTheSystem, TickingAndConfirmingWritesTheQuotedPathWithTheAutoSwitch) {
    EXPECT_FALSE(OpenAndReadBox(/*clickBox=*/true));
    const auto entry = RunEntry();
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->type, platform::reg::kSz);
    const std::u16string expected = u"\"C:\\Program Files\\Zintra\\zintra.exe\" -auto";
    EXPECT_EQ(entry->data.size(), (expected.size() + 1) * 2) << "the text and its terminating NUL";
    EXPECT_EQ(EntryText(*entry), expected);
    EXPECT_EQ(settings.autoRun, 1);
    EXPECT_TRUE(OpenAndReadBox()) << "reopening shows the box ticked";
}

TEST_F(StartWithTheSystem, UntickingAndConfirmingRemovesTheEntry) {
    PutRunEntry(u"\"C:\\Program Files\\Zintra\\zintra.exe\" -auto");
    EXPECT_TRUE(OpenAndReadBox(/*clickBox=*/true));
    EXPECT_FALSE(RunEntry());
    EXPECT_EQ(settings.autoRun, 0);
    EXPECT_FALSE(OpenAndReadBox());
}

TEST_F(StartWithTheSystem, EmptyEntryCountsAsAbsentAndTickingWritesTheCommandLine) {
    PutRunEntry(u"");
    EXPECT_FALSE(OpenAndReadBox(/*clickBox=*/true));
    EXPECT_EQ(EntryText(*RunEntry()), u"\"C:\\Program Files\\Zintra\\zintra.exe\" -auto");
}

TEST_F(StartWithTheSystem, EntryOfAMovedExecutableIsCorrectedOnlyByUntickingAndTickingAgain) {
    const std::u16string old = u"\"D:\\Old\\zintra.exe\" -auto";
    PutRunEntry(old);
    EXPECT_TRUE(OpenAndReadBox()) << "any non-empty entry counts";
    EXPECT_EQ(EntryText(*RunEntry()), old) << "an unchanged box rewrites nothing";
    OpenAndReadBox(/*clickBox=*/true);
    EXPECT_FALSE(RunEntry());
    OpenAndReadBox(/*clickBox=*/true);
    EXPECT_EQ(EntryText(*RunEntry()), u"\"C:\\Program Files\\Zintra\\zintra.exe\" -auto");
}

TEST_F(StartWithTheSystem, ClosingAfterChangingTheBoxLeavesTheRunKeyAlone) {
    OpenAndReadBox(/*clickBox=*/true, "btn_close");
    EXPECT_FALSE(RunEntry());
    EXPECT_EQ(settings.autoRun, 0);
}

TEST_F(StartWithTheSystem, RestoreDefaultsShowsTheRunKeyAgainWithoutTouchingIt) {
    Open([&](HeadlessDriver& driver) {
        ShowPage(driver, 1);
        ASSERT_TRUE(driver.Click("chk_setAutoRun"));
        ShowPage(driver, 0);
        ASSERT_TRUE(driver.Click("btn_default"));
        EXPECT_FALSE(Checked(driver, "chk_setAutoRun"));
    });
    EXPECT_FALSE(RunEntry());
}

TEST_F(StartWithTheSystem, UnopenableRunKeyKeepsTheFlagAndIsNeverCreated) {
    ui.desktop.FailKey(kRunKeyPath);
    settings.autoRun = 1;
    EXPECT_TRUE(OpenAndReadBox(/*clickBox=*/true)) << "the flag keeps its value when the key cannot be read";
    EXPECT_FALSE(RunEntry());
    EXPECT_NE(StoredRecord(), std::nullopt) << "the record is written all the same";
}

TEST_F(StartWithTheSystem, PathTooLongForTheOldBufferIsWrittenInFullAndReadsBackTicked) {
    std::u16string path = u"C:\\";
    while (path.size() < 600) path += u"very long folder name\\";
    path += u"zintra.exe";
    ui.desktop.System().SetExecutablePath(path);
    OpenAndReadBox(/*clickBox=*/true);
    const auto entry = RunEntry();
    ASSERT_TRUE(entry);
    EXPECT_EQ(EntryText(*entry), u"\"" + path + u"\" -auto");
    EXPECT_GT(entry->data.size(), 1024u);
    EXPECT_TRUE(OpenAndReadBox()) << "an entry longer than the first read is still ours";
}

TEST_F(StartWithTheSystem, EntryOfOtherTypeCountsByItsFirstCharacter) {
    ui.desktop.PutValue(kRunKeyPath, kAutoRunValue, platform::reg::kDword, {1, 0, 0, 0});
    EXPECT_TRUE(OpenAndReadBox());
    ui.desktop.PutValue(kRunKeyPath, kAutoRunValue, platform::reg::kBinary, {0, 0, 7, 0});
    EXPECT_FALSE(OpenAndReadBox());
}

}  // namespace
}  // namespace zintra::test
