// The extended menu kind: read from its own document form, opened and
// answered exactly like the classic menu.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/ui/UiFixture.h"
#include "ui/controls/SMenu.h"
#include "ui/controls/SMenuEx.h"

namespace zintra::ui::test {
namespace {

constexpr const char* kExtended =
    "<menuRoot iconSkin='skin_traymenu_icons' itemHeight='30' iconMargin='6' textMargin='10'>"
    "  <menuItem id='5' icon='0'>显示主界面</menuItem>"
    "  <sep/>"
    "  <menuItem id='7' text='更多'>"
    "    <menuItem id='8' text='子项' disable='1'/>"
    "  </menuItem>"
    "  <menuItem id='6' text='退出' icon='1'/>"
    "  <item id='99' text='classic items are not part of this kind'/>"
    "</menuRoot>";

class MenuEx : public ::testing::Test {
protected:
    UiFixture ui;
};

TEST_F(MenuEx, ReadsItemsSeparatorsSubMenusAndLooksFromTheRoot) {
    SMenuEx menu;
    ASSERT_TRUE(menu.LoadMenuXml(kExtended));
    const MenuData& data = menu.Data();
    EXPECT_EQ(data.iconSkin, "skin_traymenu_icons");
    EXPECT_EQ(data.itemHeight, 30);
    EXPECT_EQ(data.iconMargin, 6);
    EXPECT_EQ(data.textMargin, 10);
    ASSERT_EQ(data.items.size(), 4u);
    EXPECT_EQ(data.items[0].id, 5);
    EXPECT_EQ(data.items[0].text, u"显示主界面") << "text from the element when there is no attribute";
    EXPECT_EQ(data.items[0].icon, 0);
    EXPECT_TRUE(data.items[1].separator);
    ASSERT_EQ(data.items[2].children.size(), 1u);
    EXPECT_EQ(data.items[2].children[0].text, u"子项");
    EXPECT_TRUE(data.items[2].children[0].disabled);
    EXPECT_EQ(data.items[3].text, u"退出");
    EXPECT_EQ(data.items[3].icon, 1);
    EXPECT_FALSE(data.items[3].disabled);
}

TEST_F(MenuEx, ARootItemHoldsTheMenuAndOtherDocumentsAreRefused) {
    SMenuEx menu;
    ASSERT_TRUE(menu.LoadMenuXml("<menuItem itemHeight='24'><menuItem id='3' text='一'/></menuItem>"));
    EXPECT_EQ(menu.Data().itemHeight, 24);
    ASSERT_EQ(menu.Data().items.size(), 1u);
    EXPECT_EQ(menu.Data().items[0].id, 3);

    SMenuEx other;
    EXPECT_FALSE(other.LoadMenuXml("<menu><item id='5'>显示主界面</item></menu>")) << "the classic kind";
    EXPECT_FALSE(other.LoadMenuXml("<menuRoot><menuItem id='5'"));
    EXPECT_FALSE(other.LoadMenuXml(""));
    EXPECT_FALSE(other.LoadMenu("SMENU:nothing"));
    EXPECT_EQ(other.TrackPopupMenu(0, 10, 10, 0), 0) << "nothing loaded, nothing opens";
    EXPECT_TRUE(ui.backend.ShownMenus().empty());
}

TEST_F(MenuEx, OutOfRangeLooksAndDeepNestingStaySafe) {
    std::string deep = "<menuRoot itemHeight='-5' iconMargin='100000'>";
    for (int i = 0; i < 50; ++i) deep += "<menuItem id='" + std::to_string(i) + "'>";
    for (int i = 0; i < 50; ++i) deep += "</menuItem>";
    deep += "</menuRoot>";
    SMenuEx menu;
    ASSERT_TRUE(menu.LoadMenuXml(deep));
    EXPECT_EQ(menu.Data().itemHeight, 1);
    EXPECT_EQ(menu.Data().iconMargin, 200);
    int depth = 0;
    for (const MenuItem* item = &menu.Data().items.at(0); !item->children.empty(); item = &item->children[0]) ++depth;
    EXPECT_LE(depth, 9);
}

TEST_F(MenuEx, OpensLikeTheClassicMenuAndTheChoiceArrivesAsACommand) {
    RecordingHost host("LAYOUT:XML_MAINWND");
    ASSERT_NE(host.Create(), 0u);
    SMenuEx menu;
    ASSERT_TRUE(menu.LoadMenuXml(kExtended));
    ui.backend.SetNextMenuChoice(6);
    EXPECT_EQ(menu.TrackPopupMenu(0, 300, 400, host.GetHwnd()), 6);
    ASSERT_EQ(ui.backend.ShownMenus().size(), 1u);
    EXPECT_EQ(ui.backend.ShownMenus()[0].at, (platform::Point{300, 400}));
    EXPECT_EQ(ui.backend.ShownMenus()[0].owner, host.GetHwnd());
    EXPECT_EQ(ui.backend.ShownMenus()[0].menu.scalePercent, 100);
    ui.desktop.DispatchPosted();
    EXPECT_EQ(std::count(host.messages.begin(), host.messages.end(), msg::kCommand), 1);
    // Dismissed: nothing is sent; asked to return the choice: nothing is posted.
    EXPECT_EQ(menu.TrackPopupMenu(0, 0, 0, host.GetHwnd()), 0);
    ui.backend.SetNextMenuChoice(5);
    EXPECT_EQ(menu.TrackPopupMenu(SMenu::kReturnCommand, 0, 0, host.GetHwnd()), 5);
    ui.desktop.DispatchPosted();
    EXPECT_EQ(std::count(host.messages.begin(), host.messages.end(), msg::kCommand), 1);
}

TEST_F(MenuEx, OpensAtTheScaleAskedForWithinReason) {
    SMenuEx menu;
    ASSERT_TRUE(menu.LoadMenuXml(kExtended));
    menu.TrackPopupMenu(0, 0, 0, 0, 150);
    menu.TrackPopupMenu(0, 0, 0, 0, 5000);
    menu.TrackPopupMenu(0, 0, 0, 0, 0);
    ASSERT_EQ(ui.backend.ShownMenus().size(), 3u);
    EXPECT_EQ(ui.backend.ShownMenus()[0].menu.scalePercent, 150);
    EXPECT_EQ(ui.backend.ShownMenus()[1].menu.scalePercent, 400);
    EXPECT_EQ(ui.backend.ShownMenus()[2].menu.scalePercent, 50);
}

}  // namespace
}  // namespace zintra::ui::test
