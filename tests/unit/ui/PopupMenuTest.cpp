// The toolkit's own pop-up menu: sub-menus by hover and by keys, keys that
// pass separators and disabled items, closing by Escape, Left and a press
// outside, placement against the monitor's work area, and its looks.
#include <gtest/gtest.h>

#include "sim/headless/PopupScript.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/core/PopupMenu.h"

namespace zintra::ui::test {
namespace {

using namespace popup_script;

MenuItem Leaf(int id, std::u16string text, bool disabled = false) {
    MenuItem item;
    item.id = id;
    item.text = std::move(text);
    item.disabled = disabled;
    return item;
}

MenuItem Separator() {
    MenuItem item;
    item.separator = true;
    return item;
}

// Open, a separator, a disabled item, a sub-menu (with its own separator
// and disabled item), Quit.
MenuData SampleMenu() {
    MenuData menu;
    MenuItem more = Leaf(3, u"More");
    more.children = {Leaf(31, u"First"), Separator(), Leaf(32, u"Greyed", true), Leaf(33, u"Last")};
    menu.items = {Leaf(1, u"Open"), Separator(), Leaf(2, u"Disabled", true), more, Leaf(4, u"Quit")};
    return menu;
}

class PopupMenus : public ::testing::Test {
protected:
    // Tracks the sample menu at a point with `drive` as the user.
    int Track(platform::Point at, std::function<void(PopupMenu&)> drive) {
        ui.backend.SetPopupHook([&](PopupInput& input) { drive(dynamic_cast<PopupMenu&>(input)); });
        PopupMenu menu(ui.backend, data, at, 0);
        return menu.Track();
    }
    static platform::Point ItemPoint(const PopupMenu& menu, int level, int index) {
        platform::Point at;
        EXPECT_TRUE(FindMenuItem(menu, level, index, at)) << "level " << level << " item " << index;
        return at;
    }
    static platform::Rect RectOf(const PopupMenu& menu, int level) { return menu.Level(level).Spec().rect; }

    UiFixture ui;
    MenuData data = SampleMenu();
};

TEST_F(PopupMenus, HoverOpensASubMenuToTheRightAndItsItemIsChosen) {
    const int chosen = Track({100, 100}, [&](PopupMenu& menu) {
        Move(menu, ItemPoint(menu, 0, 3));
        ASSERT_EQ(menu.Levels(), 2);
        EXPECT_EQ(RectOf(menu, 1).left, RectOf(menu, 0).right);
        EXPECT_EQ(ui.backend.Popups().size(), 2u);
        // Back over another item of the root: the sub-menu goes.
        Move(menu, ItemPoint(menu, 0, 0));
        EXPECT_EQ(menu.Levels(), 1);
        EXPECT_EQ(ui.backend.Popups().size(), 1u);
        Move(menu, ItemPoint(menu, 0, 3));
        ASSERT_EQ(menu.Levels(), 2);
        EXPECT_EQ(menu.Level(1).Hover(), -1);
        Key(menu, msg::kVkRight);
        EXPECT_EQ(menu.Level(1).Hover(), 0) << "Right goes into the level the pointer opened";
        Click(menu, ItemPoint(menu, 1, 2));  // disabled: nothing happens
        EXPECT_TRUE(menu.Running());
        Click(menu, ItemPoint(menu, 0, 3));  // a parent item is no choice either
        EXPECT_TRUE(menu.Running());
        Click(menu, ItemPoint(menu, 1, 3));
    });
    EXPECT_EQ(chosen, 33);
    EXPECT_TRUE(ui.backend.Popups().empty()) << "every level closed";
}

TEST_F(PopupMenus, ArrowsPassSeparatorsAndDisabledItemsRightOpensLeftAndEscapeClose) {
    std::vector<int> hovers;
    const int chosen = Track({100, 100}, [&](PopupMenu& menu) {
        const auto root = [&] { return menu.Level(0).Hover(); };
        for (std::uint32_t key : {msg::kVkDown, msg::kVkDown, msg::kVkUp, msg::kVkUp, msg::kVkDown}) {
            Key(menu, key);
            hovers.push_back(root());
        }
        Key(menu, msg::kVkDown);
        ASSERT_EQ(root(), 3);
        Key(menu, msg::kVkRight);
        ASSERT_EQ(menu.Levels(), 2);
        EXPECT_EQ(menu.Level(1).Hover(), 0) << "the sub-menu opens on its first item";
        Key(menu, msg::kVkDown);
        EXPECT_EQ(menu.Level(1).Hover(), 3) << "past the separator and the disabled item";
        Key(menu, msg::kVkLeft);
        EXPECT_EQ(menu.Levels(), 1);
        EXPECT_EQ(root(), 3) << "the parent item stays lit";
        Key(menu, msg::kVkReturn);  // Enter on a parent opens it too
        ASSERT_EQ(menu.Levels(), 2);
        Key(menu, msg::kVkEscape);  // one level
        EXPECT_EQ(menu.Levels(), 1);
        EXPECT_TRUE(menu.Running());
        Key(menu, msg::kVkLeft);  // nothing left of the root
        EXPECT_TRUE(menu.Running());
        Key(menu, msg::kVkEscape);
        EXPECT_FALSE(menu.Running());
    });
    EXPECT_EQ(chosen, 0);
    EXPECT_EQ(hovers, (std::vector<int>{0, 3, 0, 4, 0}));
    EXPECT_EQ(Track({100, 100}, [](PopupMenu& menu) {
                  Key(menu, msg::kVkDown);
                  Key(menu, msg::kVkReturn);
              }),
              1);
}

TEST_F(PopupMenus, APressOutsideEveryLevelClosesThemAll) {
    const int chosen = Track({100, 100}, [&](PopupMenu& menu) {
        Move(menu, ItemPoint(menu, 0, 3));
        ASSERT_EQ(menu.Levels(), 2);
        const platform::Rect sub = RectOf(menu, 1);
        menu.PopupMessage(msg::kLButtonDown, 0, {sub.left + 2, sub.bottom - 1});  // on the sub-menu's edge
        EXPECT_TRUE(menu.Running());
        menu.PopupMessage(msg::kRButtonDown, 0, {sub.right + 5, sub.top});
        EXPECT_FALSE(menu.Running());
        // Whatever comes after the close chooses nothing.
        menu.PopupMessage(msg::kLButtonUp, 0, ItemPoint(menu, 1, 0));
    });
    EXPECT_EQ(chosen, 0);
}

TEST_F(PopupMenus, LevelsOpenLeftAndUpWhereTheMonitorsWorkAreaEnds) {
    ui.desktop.SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96},
                            {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1000}, 96}});
    Track({1915, 1035}, [&](PopupMenu& menu) {
        const platform::Rect root = RectOf(menu, 0);
        EXPECT_EQ(root.right, 1915) << "no room to the right of the point";
        EXPECT_EQ(root.bottom, 1035) << "no room below it";
        Move(menu, ItemPoint(menu, 0, 3));
        ASSERT_EQ(menu.Levels(), 2);
        EXPECT_EQ(RectOf(menu, 1).right, root.left) << "a sub-menu stays on its parent's monitor";
    });
    Track({3150, 980}, [&](PopupMenu& menu) {
        const platform::Rect root = RectOf(menu, 0);
        EXPECT_EQ(root.right, 3150);
        Move(menu, ItemPoint(menu, 0, 3));
        ASSERT_EQ(menu.Levels(), 2);
        const platform::Rect sub = RectOf(menu, 1);
        EXPECT_EQ(sub.right, root.left) << "on the last monitor the sub-menu opens to the left";
        EXPECT_EQ(sub.bottom, 1000) << "and is moved up onto the work area";
    });
    Track({2000, 100}, [&](PopupMenu& menu) {
        EXPECT_EQ(RectOf(menu, 0).left, 2000);
        EXPECT_EQ(RectOf(menu, 0).top, 100);
        Move(menu, ItemPoint(menu, 0, 3));
        ASSERT_EQ(menu.Levels(), 2);
        EXPECT_EQ(RectOf(menu, 1).left, RectOf(menu, 0).right);
        EXPECT_EQ(RectOf(menu, 1).top, 100 + menu.Level(0).ItemTop(3) - MenuPanel::kEdge) << "level with its item";
    });
}

TEST_F(PopupMenus, PaintsTodaysFrameHighlightSeparatorAndGreyedText) {
    data.itemHeight = 26;
    Track({100, 100}, [&](PopupMenu& menu) {
        Key(menu, msg::kVkDown);  // lights Open
        ASSERT_EQ(ui.backend.Popups().size(), 1u);
        const PixelBuffer picture = HeadlessBackend::PaintPopup(ui.backend.Popups()[0]);
        const MenuPanel& panel = menu.Level(0);
        ASSERT_EQ(picture.width, panel.Size().width);
        EXPECT_EQ(picture.At(0, 0), Premultiply(Color{0xCC, 0xCC, 0xCC, 255})) << "the hairline frame";
        EXPECT_EQ(picture.At(picture.width - 2, 1), Premultiply(Color{0xFF, 0xFF, 0xFF, 255}));
        EXPECT_EQ(picture.At(1, panel.ItemTop(0) + 1), Premultiply(Color{0xD9, 0xEE, 0xEE, 255})) << "lit item";
        EXPECT_EQ(picture.At(1, panel.ItemTop(3) + 1), Premultiply(Color{0xFF, 0xFF, 0xFF, 255}));
        EXPECT_EQ(picture.At(10, panel.ItemTop(1) + MenuPanel::kSeparatorHeight / 2),
                  Premultiply(Color{0xDD, 0xDD, 0xDD, 255}))
            << "the separator line";
        EXPECT_EQ(panel.ItemTop(3) - panel.ItemTop(2), 26);
        EXPECT_EQ(panel.Size().height, 2 + 26 * 4 + MenuPanel::kSeparatorHeight + 2);
    });
}

}  // namespace
}  // namespace zintra::ui::test
