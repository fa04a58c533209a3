// The tray menu as the desktop's menu protocol numbers and describes it, and
// which clicks lead back to a command.
#include <gtest/gtest.h>

#include "platform/linux/TrayMenuLayout.h"

namespace zintra::platform::linux_x11 {
namespace {

TrayMenuEntry Item(int command, std::u16string text, bool enabled = true) {
    TrayMenuEntry entry;
    entry.command = command;
    entry.text = std::move(text);
    entry.enabled = enabled;
    return entry;
}

TrayMenuEntry Separator() {
    TrayMenuEntry entry;
    entry.separator = true;
    return entry;
}

std::vector<MenuProperty> Label(const std::string& text) { return {{"label", text}}; }

TEST(TrayMenuLayout, TheProgramsTrayMenuIsTwoItemsUnderTheRoot) {
    const TrayMenuLayout layout({Item(5, u"显示主界面"), Item(6, u"退出")});
    ASSERT_NE(layout.Find(0), nullptr);
    EXPECT_EQ(layout.Find(0)->children, (std::vector<int>{1, 2}));
    EXPECT_EQ(layout.Properties(0, {}), (std::vector<MenuProperty>{{"children-display", std::string("submenu")}}));
    EXPECT_EQ(layout.Properties(1, {}), Label("显示主界面"));
    EXPECT_EQ(layout.Properties(2, {}), Label("退出"));
    EXPECT_EQ(layout.Clicked(1), 5);
    EXPECT_EQ(layout.Clicked(2), 6);
    EXPECT_EQ(layout.Clicked(0), std::nullopt) << "the root is no command";
    EXPECT_EQ(layout.Find(3), nullptr);
    EXPECT_EQ(layout.Find(-1), nullptr);
    EXPECT_EQ(layout.Clicked(3), std::nullopt);
}

TEST(TrayMenuLayout, SeparatorsDisabledEntriesAndSubMenusAreNoCommands) {
    TrayMenuEntry more = Item(9, u"More");
    more.children = {Item(10, u"Inner"), Separator(), Item(11, u"Off", false)};
    const TrayMenuLayout layout({Item(5, u"A"), Separator(), more});
    // Depth first: the sub-menu's entries follow it.
    EXPECT_EQ(layout.Find(0)->children, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(layout.Find(3)->children, (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(layout.Find(4)->parent, 3);
    EXPECT_EQ(layout.Properties(2, {}), (std::vector<MenuProperty>{{"type", std::string("separator")}}));
    EXPECT_EQ(layout.Clicked(2), std::nullopt);
    EXPECT_EQ(layout.Properties(3, {}),
              (std::vector<MenuProperty>{{"label", std::string("More")}, {"children-display", std::string("submenu")}}));
    EXPECT_EQ(layout.Clicked(3), std::nullopt) << "a sub-menu only opens";
    EXPECT_EQ(layout.Clicked(4), 10);
    EXPECT_EQ(layout.Properties(6, {}), (std::vector<MenuProperty>{{"label", std::string("Off")}, {"enabled", false}}));
    EXPECT_EQ(layout.Clicked(6), std::nullopt) << "disabled";
}

TEST(TrayMenuLayout, OnlyTheAskedPropertiesAreGivenAndUnderscoresAreNoMnemonics) {
    const TrayMenuLayout layout({Item(1, u"a_b", false)});
    EXPECT_EQ(layout.Properties(1, {"label"}), Label("a__b"));
    EXPECT_EQ(layout.Properties(1, {"enabled", "icon-name"}), (std::vector<MenuProperty>{{"enabled", false}}));
    EXPECT_TRUE(layout.Properties(7, {}).empty());
    EXPECT_EQ(MenuLabel(u"__"), "____");
    EXPECT_EQ(MenuLabel(u"退出"), "退出");
    const TrayMenuLayout empty;
    EXPECT_TRUE(empty.Find(0)->children.empty());
}

}  // namespace
}  // namespace zintra::platform::linux_x11
