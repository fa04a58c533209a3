#include <gtest/gtest.h>

#include "sim/SimDesktop.h"

namespace zintra {
namespace {

using platform::TrayAction;
using platform::TrayIconData;

TEST(TrayText, LongTextsAreCutToTheRecordAndStayTerminated) {
    TrayIconData data;
    platform::CopyTrayText(data.tip, std::u16string(300, u'x'));
    EXPECT_EQ(std::u16string(data.tip).size(), 127u);
    platform::CopyTrayText(data.info, std::u16string(300, u'y'));
    EXPECT_EQ(std::u16string(data.info).size(), 255u);
    platform::CopyTrayText(data.infoTitle, u"短");
    EXPECT_EQ(std::u16string(data.infoTitle), u"短");
    platform::CopyTrayText(data.tip, u"");
    EXPECT_EQ(data.tip[0], u'\0');
    EXPECT_EQ(data.tip[1], u'\0') << "a shorter text clears the rest of the field";
}

TEST(SimShell, KeepsOneIconPerWindowAndIdAndRecordsBalloons) {
    sim::SimDesktop desktop;
    auto& shell = desktop.GetShell();
    TrayIconData data;
    data.window = 0x10;
    data.id = 100;
    EXPECT_FALSE(shell.NotifyIcon(TrayAction::Add, data)) << "a record without its size is refused";
    data.sized = true;
    EXPECT_TRUE(shell.NotifyIcon(TrayAction::Add, data));
    EXPECT_FALSE(shell.NotifyIcon(TrayAction::Add, data));
    data.flags |= platform::tray::kInfo;
    platform::CopyTrayText(data.info, u"鼠标连点器已经开始");
    EXPECT_TRUE(shell.NotifyIcon(TrayAction::Modify, data));
    EXPECT_EQ(desktop.ShellState().Balloons(), std::vector<std::u16string>{u"鼠标连点器已经开始"});
    EXPECT_TRUE(shell.NotifyIcon(TrayAction::Delete, data));
    EXPECT_FALSE(desktop.ShellState().ShownIcon());
    EXPECT_EQ(shell.RegisterWindowMessage(u"TaskbarCreated"), shell.RegisterWindowMessage(u"TaskbarCreated"));
}

}  // namespace
}  // namespace zintra
