// A combo box's open list as the toolkit's own pop-up: placed below the box
// or above it, scrolled by the wheel, the scroll bar and the keys with the
// highlighted entry kept in sight, closed by Enter, Escape, Tab and Alt; and
// the toolkit's tooltip kept on the pointer's monitor. Both in today's looks.
#include <gtest/gtest.h>

#include "sim/headless/PopupScript.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/controls/SListBox.h"
#include "ui/core/DropDownPopup.h"
#include "ui/core/ToolTipPopup.h"

namespace zintra::ui::test {
namespace {

using namespace popup_script;

class DropDowns : public ::testing::Test {
protected:
    DropDowns() {
        for (int i = 0; i < 40; ++i) list.InsertItem(-1, u"Entry " + std::u16string(1, char16_t(u'A' + i % 26)), i);
        spec.anchor = {100, 100, 200, 122};
        spec.dropHeight = 100;
        spec.itemHeight = list.GetItemHeight();
        spec.selected = 2;
        for (int i = 0; i < list.GetCount(); ++i) spec.entries.push_back(list.GetText(i));
    }
    int Run(std::function<void(DropDownPopup&)> drive) {
        ui.backend.SetPopupHook([&](PopupInput& input) { drive(dynamic_cast<DropDownPopup&>(input)); });
        DropDownPopup popup(ui.backend, list, spec);
        return popup.Run();
    }
    static bool Shows(const DropDownPopup& popup, int index) {
        platform::Point at;
        return FindDropDownEntry(popup, index, at);
    }
    int Rows() const { return (spec.dropHeight) / spec.itemHeight; }

    UiFixture ui;
    SListBox list;
    DropDownSpec spec;
};

TEST_F(DropDowns, KeysMoveTheHighlightAndScrollItIntoSight) {
    const int chosen = Run([&](DropDownPopup& popup) {
        EXPECT_TRUE(Shows(popup, 2)) << "opens on the selected entry";
        Key(popup, msg::kVkEnd);
        EXPECT_EQ(popup.Highlighted(), 39);
        EXPECT_TRUE(Shows(popup, 39));
        EXPECT_FALSE(Shows(popup, 0));
        Key(popup, msg::kVkHome);
        EXPECT_TRUE(Shows(popup, 0));
        EXPECT_FALSE(Shows(popup, 39));
        Key(popup, msg::kVkNext);
        EXPECT_EQ(popup.Highlighted(), Rows());
        EXPECT_TRUE(Shows(popup, Rows()));
        Key(popup, msg::kVkNext);
        EXPECT_EQ(popup.Highlighted(), 2 * Rows());
        EXPECT_TRUE(Shows(popup, 2 * Rows()));
        Key(popup, msg::kVkPrior);
        EXPECT_EQ(popup.Highlighted(), Rows());
        Key(popup, msg::kVkUp);
        Key(popup, msg::kVkUp);
        EXPECT_EQ(popup.Highlighted(), Rows() - 2);
        EXPECT_TRUE(Shows(popup, Rows() - 2));
        Key(popup, msg::kVkDown);
        Key(popup, msg::kVkReturn);
    });
    EXPECT_EQ(chosen, Rows() - 1);
    EXPECT_EQ(list.GetCurSel(), 2) << "the caller applies the choice, not the pop-up";
}

TEST_F(DropDowns, WheelAndScrollBarScrollAndAScrolledToEntryIsChosen) {
    const int chosen = Run([&](DropDownPopup& popup) {
        const platform::Rect rect = popup.Spec().rect;
        const platform::Point middle{rect.left + 10, rect.top + rect.Height() / 2};
        Wheel(popup, -1, middle);
        EXPECT_EQ(list.GetTopIndex(), 3) << "three rows a notch";
        Wheel(popup, 1, middle);
        EXPECT_EQ(list.GetTopIndex(), 0);
        // A press on the bar below the thumb pages down, and keeps the list open.
        const platform::Point bar{rect.right - 3, rect.bottom - 4};
        popup.PopupMessage(msg::kLButtonDown, msg::kMkLButton, bar);
        popup.PopupMessage(msg::kLButtonUp, 0, bar);
        EXPECT_GT(list.GetTopIndex(), 0);
        EXPECT_TRUE(popup.Running());
        EXPECT_TRUE(ChooseDropDownEntry(popup, 33));
    });
    EXPECT_EQ(chosen, 33);
}

TEST_F(DropDowns, TheOpeningReleaseIsNoChoiceAndEscapeTabAltClose) {
    const int chosen = Run([&](DropDownPopup& popup) {
        platform::Point entry;
        ASSERT_TRUE(FindDropDownEntry(popup, 1, entry));
        popup.PopupMessage(msg::kLButtonUp, 0, entry);  // the press began on the box
        EXPECT_TRUE(popup.Running());
        // Dragged from the box onto an entry, the release chooses it.
        Move(popup, entry);
        popup.PopupMessage(msg::kLButtonUp, 0, entry);
        EXPECT_FALSE(popup.Running());
    });
    EXPECT_EQ(chosen, 1);
    for (const auto& stroke : {std::pair{msg::kKeyDown, msg::kVkEscape}, std::pair{msg::kKeyDown, msg::kVkTab},
                               std::pair{msg::kSysKeyDown, msg::kVkMenu}}) {
        const auto message = stroke.first;
        const auto key = stroke.second;
        EXPECT_EQ(Run([&](DropDownPopup& popup) {
                      Key(popup, msg::kVkDown);
                      popup.PopupMessage(message, key, {});
                      EXPECT_FALSE(popup.Running()) << key;
                  }),
                  -1);
    }
    EXPECT_EQ(Run([](DropDownPopup& popup) {
                  popup.PopupMessage(msg::kLButtonDown, msg::kMkLButton, {5, 5});  // elsewhere
              }),
              -1);
}

TEST_F(DropDowns, OpensAboveTheBoxWhenTheBoxsMonitorHasNoRoomBelow) {
    ui.desktop.SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96},
                            {{0, 1080, 1920, 2160}, {0, 1080, 1920, 2120}, 96}});
    spec.anchor = {100, 1000, 200, 1022};  // room below only on the monitor underneath
    Run([&](DropDownPopup& popup) {
        EXPECT_EQ(popup.Spec().rect.bottom, 1000);
        EXPECT_EQ(popup.Spec().rect.Height(), 100 + 2 * DropDownPopup::kBorder);
        EXPECT_EQ(popup.Spec().rect.Width(), 100) << "as wide as the box";
    });
    spec.anchor = {100, 1500, 200, 1522};
    Run([&](DropDownPopup& popup) { EXPECT_EQ(popup.Spec().rect.top, 1522); });
    spec.entries.resize(2);  // short lists are only as tall as their entries
    Run([&](DropDownPopup& popup) { EXPECT_EQ(popup.Spec().rect.Height(), 2 * spec.itemHeight + 2); });
}

TEST_F(DropDowns, PaintsTheBorderAndTheEntriesOnWhite) {
    Run([&](DropDownPopup&) {
        ASSERT_EQ(ui.backend.Popups().size(), 1u);
        const PixelBuffer picture = HeadlessBackend::PaintPopup(ui.backend.Popups()[0]);
        const std::uint32_t border = Premultiply(Color{0x01, 0x5C, 0x5D, 255});
        EXPECT_EQ(picture.At(0, 0), border);
        EXPECT_EQ(picture.At(picture.width - 1, picture.height - 1), border);
        EXPECT_EQ(picture.At(50, picture.height - 1), border);
        EXPECT_NE(picture.At(1, 1), border);
    });
}

TEST_F(DropDowns, ToolTipsStayOnThePointersMonitorInTheirColours) {
    ui.desktop.SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96},
                            {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1000}, 96}});
    ToolTipPopup tip(ui.backend);
    tip.Show(0, u"Start clicking", {1915, 1035});
    ASSERT_EQ(ui.backend.Popups().size(), 1u);
    platform::Rect rect = ui.backend.Popups()[0].spec.rect;
    EXPECT_EQ(rect.right, 1920) << "moved in from the primary's right edge";
    EXPECT_EQ(rect.bottom, 1040);
    EXPECT_TRUE(ui.backend.Popups()[0].spec.passive);
    tip.Show(0, u"Start clicking", {3190, 500});
    ASSERT_EQ(ui.backend.Popups().size(), 1u) << "one tip at a time";
    rect = ui.backend.Popups()[0].spec.rect;
    EXPECT_EQ(rect.right, 3200);
    EXPECT_EQ(rect.top, 500);
    tip.Show(0, u"Start clicking", {2000, 100});
    EXPECT_EQ(ui.backend.Popups()[0].spec.rect.left, 2000);
    EXPECT_EQ(ui.backend.Popups()[0].spec.rect.top, 100);
    const PixelBuffer picture = HeadlessBackend::PaintPopup(ui.backend.Popups()[0]);
    EXPECT_EQ(picture.At(0, 0), Premultiply(Color{0x76, 0x76, 0x76, 255}));
    EXPECT_EQ(picture.At(2, 2), Premultiply(Color{0xFF, 0xFF, 0xE1, 255}));
    tip.Close();
    EXPECT_TRUE(ui.backend.Popups().empty());
    EXPECT_FALSE(ui.backend.ShownToolTip());
}

}  // namespace
}  // namespace zintra::ui::test
