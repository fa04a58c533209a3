#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/Messages.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/TrayProtocol.h"
#include "platform/x11/XEmbedTrayIcon.h"

namespace zintra::platform::linux_x11 {
namespace {

namespace fs = std::filesystem;
using x11::BlendOver;
using x11::PictureForSize;

TEST(TrayPixmap, PixelsGoOutAlphaFirstInNetworkByteOrderRowByRow) {
    IconPicture picture;
    picture.width = 2;
    picture.height = 1;
    picture.argb = {0x80112233u, 0x00FFFFFFu};
    EXPECT_EQ(PixmapBytes(picture),
              (std::vector<std::uint8_t>{0x80, 0x11, 0x22, 0x33, 0x00, 0xFF, 0xFF, 0xFF}));
}

TEST(TrayPixmap, APictureWhosePixelsDoNotFillItsSizeGivesNothing) {
    IconPicture shortOne;
    shortOne.width = 2;
    shortOne.height = 2;
    shortOne.argb = {1, 2, 3};
    EXPECT_TRUE(PixmapBytes(shortOne).empty());
    IconPicture empty;
    EXPECT_TRUE(PixmapBytes(empty).empty());
    IconPicture negative;
    negative.width = -1;
    negative.height = -1;
    negative.argb = {1};
    EXPECT_TRUE(PixmapBytes(negative).empty());
}

TrayIconData Record() {
    TrayIconData record;
    record.sized = true;
    record.window = 0x1234;
    record.id = 100;
    record.flags = tray::kMessage | tray::kIcon | tray::kTip;
    record.callbackMessage = msg::kTrayNotify;
    return record;
}

TEST(TrayClicks, ArriveAsTheButtonDownCallbackTheWindowsShellPosts) {
    const TrayIconData record = Record();
    EXPECT_EQ(CallbackFor(TrayClick::Activate, record),
              (TrayCallback{0x1234, msg::kTrayNotify, 100, static_cast<std::intptr_t>(msg::kLButtonDown)}));
    EXPECT_EQ(CallbackFor(TrayClick::ContextMenu, record),
              (TrayCallback{0x1234, msg::kTrayNotify, 100, static_cast<std::intptr_t>(msg::kRButtonDown)}));
}

TEST(TrayClicks, ARecordWithoutCallbacksOrWindowGetsNone) {
    TrayIconData noMessage = Record();
    noMessage.flags &= ~tray::kMessage;
    EXPECT_FALSE(CallbackFor(TrayClick::Activate, noMessage));
    TrayIconData noWindow = Record();
    noWindow.window = 0;
    EXPECT_FALSE(CallbackFor(TrayClick::ContextMenu, noWindow));
}

TEST(TrayNotices, ABalloonWithoutTitleShowsItsTextAsTheSummary) {
    TrayIconData record = Record();
    record.flags |= tray::kInfo;
    CopyTrayText(record.info, u"鼠标连点器已经开始");
    const auto notice = NoticeFor(record);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->summary, "鼠标连点器已经开始");
    EXPECT_EQ(notice->body, "");

    CopyTrayText(record.infoTitle, u"Zintra");
    const auto titled = NoticeFor(record);
    ASSERT_TRUE(titled);
    EXPECT_EQ(titled->summary, "Zintra");
    EXPECT_EQ(titled->body, "鼠标连点器已经开始");
}

TEST(TrayNotices, NoneWithoutTheInfoFlagOrWithAnEmptyText) {
    TrayIconData record = Record();
    CopyTrayText(record.info, u"鼠标连点器已经停止");
    EXPECT_FALSE(NoticeFor(record)) << "a tip change keeps the old text but drops the flag";
    record.flags |= tray::kInfo;
    CopyTrayText(record.info, u"");
    EXPECT_FALSE(NoticeFor(record)) << "an empty balloon only takes the last one away";
}

TEST(TrayNotices, AFullTextFieldIsReadUpToItsEnd) {
    TrayIconData record = Record();
    record.flags |= tray::kInfo;
    CopyTrayText(record.info, std::u16string(400, u'x'));
    const auto notice = NoticeFor(record);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->summary, std::string(255, 'x'));
}

class InstalledIcon : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("zintra-icons-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }
    fs::path Put(const std::string& folder, const std::string& relative) {
        const fs::path path = root_ / folder / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "picture";
        return path;
    }
    fs::path root_;
};

TEST_F(InstalledIcon, IsFoundInTheUsersDataFolderOrAnyDataDirectory) {
    EXPECT_EQ(InstalledIconName((root_ / "home").string(), (root_ / "a").string() + ":" + (root_ / "b").string()), "");
    Put("b", "icons/hicolor/48x48/apps/zintra.png");
    EXPECT_EQ(InstalledIconName((root_ / "home").string(), (root_ / "a").string() + ":" + (root_ / "b").string()),
              "zintra");
    EXPECT_EQ(InstalledIconName((root_ / "b").string(), ""), "zintra");
    Put("c", "icons/hicolor/scalable/apps/zintra.svg");
    EXPECT_EQ(InstalledIconName("", "::" + (root_ / "c").string() + ":"), "zintra");
}

TEST_F(InstalledIcon, OtherThemesOtherNamesAndFoldersDoNotCount) {
    Put("d", "icons/Adwaita/48x48/apps/zintra.png");
    Put("d", "icons/hicolor/48x48/apps/other.png");
    fs::create_directories(root_ / "d" / "icons/hicolor/32x32/apps/zintra.png");
    EXPECT_EQ(InstalledIconName("", (root_ / "d").string()), "");
}

IconPicture Square(int size) {
    IconPicture picture;
    picture.width = picture.height = size;
    picture.argb.assign(static_cast<std::size_t>(size) * size, 0xFF000000u | static_cast<std::uint32_t>(size));
    return picture;
}

TEST(XEmbedIconPicture, TheBiggestThatFitsElseTheSmallest) {
    const std::vector<IconPicture> pictures = {Square(16), Square(48), Square(32), Square(24), Square(20)};
    EXPECT_EQ(PictureForSize(pictures, 22)->width, 20);
    EXPECT_EQ(PictureForSize(pictures, 24)->width, 24);
    EXPECT_EQ(PictureForSize(pictures, 64)->width, 48);
    EXPECT_EQ(PictureForSize(pictures, 12)->width, 16);
    EXPECT_EQ(PictureForSize({}, 22), nullptr);
    IconPicture broken = Square(20);
    broken.argb.pop_back();
    EXPECT_EQ(PictureForSize({broken, Square(16)}, 22)->width, 16) << "a picture short of pixels is never painted";
}

TEST(XEmbedIconPicture, StraightAlphaBlendsOverThePanel) {
    EXPECT_EQ(BlendOver(0x336699, 0xFF009A9Au), 0x009A9Au);
    EXPECT_EQ(BlendOver(0x336699, 0x00FFFFFFu), 0x336699u);
    EXPECT_EQ(BlendOver(0x000000, 0x80FFFFFFu), 0x808080u);
    EXPECT_EQ(BlendOver(0xFFFFFF, 0x80000000u), 0x7F7F7Fu);
}

TEST(RegisteredMessages, TheSameNameGivesTheSameNumberAndAnotherNameAnother) {
    LinuxShell platform(nullptr);
    const std::uint32_t taskbar = platform.RegisterWindowMessage(u"TaskbarCreated");
    EXPECT_GE(taskbar, 0xC000u);
    EXPECT_EQ(platform.RegisterWindowMessage(u"TaskbarCreated"), taskbar);
    EXPECT_NE(platform.RegisterWindowMessage(u"Another"), taskbar);
}

}  // namespace
}  // namespace zintra::platform::linux_x11
