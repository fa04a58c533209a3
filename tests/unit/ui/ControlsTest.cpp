// Controls behave like controls: look-ups, run-time attributes, events by
// name, radios, edits, lists, tabs and the hotkey capture.
#include <gtest/gtest.h>

#include "platform/Messages.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/controls/SEdit.h"
#include "ui/controls/SHotKeyCtrl.h"
#include "ui/controls/SLink.h"
#include "ui/controls/SProgress.h"
#include "ui/controls/SRadioBox.h"
#include "ui/controls/SScrollView.h"
#include "ui/controls/SComboBox.h"
#include "ui/controls/SListBox.h"
#include "ui/controls/STabCtrl.h"

namespace zintra::ui::test {
namespace {

class Controls : public ::testing::Test {
protected:
    void Open(const char* layout) {
        host = std::make_unique<RecordingHost>(layout);
        ASSERT_NE(host->Create(), 0u);
        driver = std::make_unique<HeadlessDriver>(*host, ui.backend);
    }
    std::vector<int> EventIdsFrom(const std::string& name) const {
        std::vector<int> ids;
        for (const auto& seen : host->events) {
            if (seen.name == name) ids.push_back(seen.id);
        }
        return ids;
    }

    UiFixture ui;
    std::unique_ptr<RecordingHost> host;
    std::unique_ptr<HeadlessDriver> driver;
};

TEST_F(Controls, MissingOrMistypedControlYieldsNothingAndLogsTheExactMessage) {
    Open("LAYOUT:XML_SETTING");
    EXPECT_EQ(host->FindChildByName2<SEdit>("edt_nothing"), nullptr);
    EXPECT_EQ(host->FindChildByName2<SEdit>("useFixedPos"), nullptr);  // a check box, not an edit
    EXPECT_EQ(host->FindChildByID2<FakeTrayIcon>(110), nullptr);
    ASSERT_EQ(ui.log.size(), 3u);
    EXPECT_EQ(ui.log[0],
              "FindChildByName2 Failed, no window of class [edit] with name of [edt_nothing] was found within [-1] levels");
    EXPECT_EQ(ui.log[1],
              "FindChildByName2 Failed, no window of class [edit] with name of [useFixedPos] was found within [-1] levels");
    EXPECT_EQ(ui.log[2],
              "FindChildByID2 Failed, no window of class [shellnotifyicon] with id of [110] was found within [-1] levels");
    // A derived class counts as its base: an image button is also a window.
    EXPECT_NE(host->FindChildByName2<SWindow>("btn_sure"), nullptr);
    EXPECT_EQ(ui.log.size(), 3u);
}

TEST_F(Controls, DepthLimitsTheSearch) {
    Open("LAYOUT:XML_SETTING");
    SWindow* root = host->GetRoot();
    EXPECT_EQ(root->FindChildByName("edt_posX", 2), nullptr);
    EXPECT_NE(root->FindChildByName("edt_posX", 4), nullptr);
    EXPECT_NE(root->FindChildByName("edt_posX"), nullptr);
}

TEST_F(Controls, RunTimeAttributesActAsIfWrittenInTheLayout) {
    Open("LAYOUT:XML_SETTING");
    SWindow* group = host->FindChildByName("wnd_useFixedPos");
    SWindow* edit = host->FindChildByName("edt_posX");
    SWindow* label = group->GetChildren().front().get();  // "X坐标"
    EXPECT_EQ(label->GetTextColor(), (Color{0xAF, 0xAF, 0xAF, 255}));

    group->SetAttribute("class", "cls_enbale");
    EXPECT_EQ(label->GetTextColor(), (Color{0, 0, 0, 255}));
    edit->SetAttribute("enable", "1");
    edit->SetAttribute("class", "cls_edit2");
    EXPECT_FALSE(edit->IsDisabled());
    EXPECT_EQ(edit->GetTextColor(), (Color{0, 0, 0, 255}));
    EXPECT_EQ(edit->GetAttribute("class"), "cls_edit2");
    EXPECT_EQ(edit->GetSkin()->name, "skin_edit");

    // Disabling a group disables what it holds; enabling it gives them back.
    group->SetAttribute("enable", "0");
    EXPECT_TRUE(edit->IsDisabled());
    group->SetAttribute("enable", "1");
    EXPECT_FALSE(edit->IsDisabled());

    SWindow* button = host->FindChildByName("btn_default");
    button->SetAttribute("show", "0");
    EXPECT_FALSE(button->IsVisible());
    EXPECT_EQ(button->GetAttribute("show"), "0");
    EXPECT_FALSE(driver->Click("btn_default"));
    button->SetAttribute("show", "1");
    EXPECT_TRUE(driver->Click("btn_default"));
    EXPECT_EQ(EventIdsFrom("btn_default"), (std::vector<int>{EventLButtonDown::kId, EventCmd::kId}));
}

TEST_F(Controls, ClicksRaiseEventsByNameAndDisabledControlsStayQuiet) {
    Open("LAYOUT:XML_SETTING");
    ASSERT_TRUE(driver->Click("btn_sure"));
    ASSERT_TRUE(driver->Click("btn_test"));  // a window used as a button
    EXPECT_EQ(EventIdsFrom("btn_sure"), (std::vector<int>{8107, 10000}));
    EXPECT_EQ(EventIdsFrom("btn_test"), (std::vector<int>{8107, 10000}));

    host->events.clear();
    ASSERT_TRUE(driver->Click("chk_ctrlq"));  // disabled in the layout
    EXPECT_TRUE(host->events.empty());
    EXPECT_FALSE(host->FindChildByName("chk_ctrlq")->IsChecked());

    ASSERT_TRUE(driver->Click("useFixedPos"));
    EXPECT_TRUE(host->FindChildByName("useFixedPos")->IsChecked());
    EXPECT_EQ(EventIdsFrom("useFixedPos").back(), EventCmd::kId);
    host->FindChildByName("useFixedPos")->SetCheck(false);  // from code: no event
    EXPECT_EQ(EventIdsFrom("useFixedPos").size(), 2u);
}

TEST_F(Controls, PressReleasedOutsideTheControlIsNoClick) {
    Open("LAYOUT:XML_SETTING");
    const platform::Rect rect = host->FindChildByName("btn_sure")->GetWindowRect();
    driver->LeftButtonDown({rect.left + 2, rect.top + 2});
    driver->MouseMove({5, 5});
    driver->LeftButtonUp({5, 5});
    EXPECT_EQ(EventIdsFrom("btn_sure"), (std::vector<int>{EventLButtonDown::kId}));
}

TEST_F(Controls, RadiosOfAGroupClearEachOtherAndArePressedCheckedBeforeTheEvent) {
    Open("LAYOUT:XML_MAINWND");
    bool checkedWhenRaised = false;
    host->onEvent = [&](EventArgs& event) {
        if (event.id == EventLButtonDown::kId && event.nameFrom == "type_right") {
            checkedWhenRaised = event.sender->IsChecked() && event.sender->IsFocused();
            event.handled = true;
        }
    };
    ASSERT_TRUE(driver->Click("type_right"));
    EXPECT_TRUE(checkedWhenRaised);
    EXPECT_FALSE(host->FindChildByName("type_left")->IsChecked());
    EXPECT_TRUE(host->FindChildByName("type_right")->IsChecked());

    host->FindChildByName2<SRadioBox>("type_leftdown")->SetCheck(true);
    EXPECT_FALSE(host->FindChildByName("type_right")->IsChecked());
    EXPECT_TRUE(host->FindChildByName("type_leftdown")->IsChecked());
    // Checking from code raises nothing.
    EXPECT_TRUE(EventIdsFrom("type_leftdown").empty());
}

TEST_F(Controls, DigitsOnlyEditRefusesLettersAndFreeEditTakesEverything) {
    Open("LAYOUT:XML_SETTING");
    SWindow* edit = host->FindChildByName("edt_time");
    edit->SetAttribute("enable", "1");
    ASSERT_TRUE(driver->Click("edt_time"));
    ASSERT_TRUE(edit->IsFocused());
    driver->TypeText(u"1a2.b3");
    EXPECT_EQ(edit->GetWindowText(), u"0123");
    driver->TypeText(u"\b\b");
    EXPECT_EQ(edit->GetWindowText(), u"01");
    driver->PressKey(msg::kVkHome);
    driver->PressKey(msg::kVkDelete);
    EXPECT_EQ(edit->GetWindowText(), u"1");
    EXPECT_TRUE(ui.backend.Caret(host->GetHwnd()).has_value());

    RecordingHost custom("LAYOUT:XML_CUSTOMTIME");
    ASSERT_NE(custom.Create(), 0u);
    HeadlessDriver customDriver(custom, ui.backend);
    ASSERT_TRUE(customDriver.Click("edt_customtime"));
    customDriver.TypeText(u"0.2x");
    EXPECT_EQ(custom.FindChildByName("edt_customtime")->GetWindowText(), u"0.2x");
}

TEST_F(Controls, DisabledEditTakesNoFocusAndNoText) {
    Open("LAYOUT:XML_SETTING");
    ASSERT_TRUE(driver->Click("edt_LimitCount"));
    driver->TypeText(u"5");
    EXPECT_EQ(host->FindChildByName("edt_LimitCount")->GetWindowText(), u"0");
    EXPECT_EQ(host->GetFocus(), nullptr);
}

TEST_F(Controls, ChangeNotifyingEditReportsTypingAndFilling) {
    Open("LAYOUT:XML_SETTING");
    std::vector<std::uint32_t> codes;
    host->onEvent = [&](EventArgs& event) {
        if (event.id == EventRENotify::kId) codes.push_back(static_cast<EventRENotify&>(event).notifyCode);
    };
    SWindow* limit = host->FindChildByName("edt_LimitCount");
    limit->SetAttribute("enable", "1");
    limit->SetWindowText(u"");
    ASSERT_TRUE(driver->Click("edt_LimitCount"));
    driver->TypeText(u"12");
    EXPECT_EQ(limit->GetWindowText(), u"12");
    EXPECT_EQ(codes, (std::vector<std::uint32_t>{msg::kEnChange, msg::kEnChange, msg::kEnChange}));
    EXPECT_EQ(EventIdsFrom("edt_LimitCount").back(), EventRENotify::kId);
    // Edits without notifyChange stay quiet.
    host->FindChildByName("edt_posX")->SetWindowText(u"7");
    EXPECT_TRUE(EventIdsFrom("edt_posX").empty());
}

TEST_F(Controls, ListSelectionRaisesSelChangeOnlyWhenItChanges) {
    Open("LAYOUT:XML_MAINWND");
    std::vector<int> selections;
    host->onEvent = [&](EventArgs& event) {
        if (event.id == EventCBSelChange::kId) selections.push_back(static_cast<EventCBSelChange&>(event).curSel);
    };
    ASSERT_TRUE(driver->SelectListEntry("cbx_Time", 5));
    auto* time = host->FindChildByName2<SComboBox>("cbx_Time");
    EXPECT_EQ(time->GetCurSel(), 5);
    EXPECT_EQ(time->GetWindowText(), u"0.6");
    ASSERT_EQ(ui.backend.DropDowns().size(), 1u);
    EXPECT_EQ(ui.backend.DropDowns()[0].dropHeight, 300);
    EXPECT_EQ(ui.backend.DropDowns()[0].entries.size(), 10u);
    ASSERT_TRUE(driver->SelectListEntry("cbx_Time", 5));  // the same entry again
    ASSERT_TRUE(driver->Click("cbx_Time"));              // opened and dismissed
    time->SetCurSel(12);  // out of range selects nothing
    EXPECT_EQ(time->GetCurSel(), -1);
    EXPECT_TRUE(time->SetCurSel(2));
    EXPECT_EQ(selections, (std::vector<int>{5, -1, 2}));
    EXPECT_EQ(EventIdsFrom("cbx_Time").back(), EventCBSelChange::kId);

    auto* hotkey = host->FindChildByName2<SComboBoxEx>("cbx_hotkey");
    ASSERT_TRUE(driver->SelectListEntry("cbx_hotkey", 7));
    EXPECT_EQ(hotkey->GetItemData(hotkey->GetCurSel()), 119);
    EXPECT_EQ(hotkey->GetWindowText(), u"F8");

    // A disabled box does not open.
    time->SetAttribute("enable", "0");
    const auto opened = ui.backend.DropDowns().size();
    driver->SelectListEntry("cbx_Time", 1);
    EXPECT_EQ(ui.backend.DropDowns().size(), opened);
    EXPECT_EQ(time->GetCurSel(), 2);
}

TEST_F(Controls, InsertingAndDeletingItemsKeepsTheSelectedItem) {
    Open("LAYOUT:XML_MAINWND");
    auto* time = host->FindChildByName2<SComboBox>("cbx_Time");
    time->SetCurSel(9);  // "自定义"
    EXPECT_EQ(time->InsertItem(9, u"0.35", 10), 9);
    EXPECT_EQ(time->GetCount(), 11);
    EXPECT_EQ(time->GetCurSel(), 10);
    EXPECT_EQ(time->GetLBText(10), u"自定义");
    EXPECT_TRUE(time->DeleteString(9));
    EXPECT_EQ(time->GetCurSel(), 9);
    EXPECT_TRUE(time->DeleteString(9));  // the selected one
    EXPECT_EQ(time->GetCurSel(), -1);
    EXPECT_EQ(time->GetWindowText(), u"");
    EXPECT_FALSE(time->DeleteString(42));
    EXPECT_EQ(time->GetItemData(42), 0);
    EXPECT_EQ(time->GetLBText(-1), u"");
    EXPECT_EQ(time->InsertItem(99, u"9", 9), 9);  // past the end appends
}

TEST_F(Controls, TabClicksSwitchPagesAndRaiseTheEventWithTheNewPage) {
    Open("LAYOUT:XML_SETTING");
    auto* tabs = host->FindChildByName2<STabCtrl>("tab_main");
    std::vector<std::pair<int, int>> changes;
    host->onEvent = [&](EventArgs& event) {
        if (event.id == EventTabSelChanged::kId) {
            auto& tab = static_cast<EventTabSelChanged&>(event);
            changes.emplace_back(tab.oldSel, tab.newSel);
        }
    };
    const platform::Rect third = tabs->GetTabRect(2);
    driver->ClickAt({third.left + 5, third.top + 5});
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_FALSE(host->FindChildByName("useRandomTime")->IsVisible());
    tabs->SetCurSel(1);
    EXPECT_TRUE(host->FindChildByName("chk_HideMain")->IsVisible());
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{0, 2}, {2, 1}}));
    EXPECT_EQ(EventIdsFrom("tab_main").back(), EventTabSelChanged::kId);
    // A hidden page's controls cannot be clicked.
    EXPECT_FALSE(driver->Click("useRandomTime"));
}

TEST_F(Controls, UpdateNotesGrowTheScrollViewAndTheWheelMovesThem) {
    Open("LAYOUT:XML_UPDATE");
    SWindow* notes = host->FindChildByName("txt_updateinfo");
    auto* view = dynamic_cast<SScrollView*>(notes->GetParent());
    ASSERT_NE(view, nullptr);
    std::u16string text;
    for (int line = 0; line < 20; ++line) text += u"修复了一些问题\n";
    notes->SetWindowText(text);
    const int top = notes->GetWindowRect().top;
    EXPECT_GT(notes->GetWindowRect().Height(), view->GetWindowRect().Height());
    EXPECT_GT(view->GetViewSize().height, view->GetClientRect().Height());
    const platform::Rect rect = view->GetWindowRect();
    driver->MouseMove({rect.left + 10, rect.top + 10});
    host->SendMessage(msg::kMouseWheel, static_cast<std::uintptr_t>(static_cast<std::uint16_t>(-120)) << 16,
                      msg::MakePointParam(rect.left + 10, rect.top + 10));
    EXPECT_EQ(view->GetViewOrigin().y, 60);
    EXPECT_EQ(notes->GetWindowRect().top, top - 60);
    // It never scrolls past the content.
    view->SetViewOrigin({0, 100000});
    EXPECT_EQ(view->GetViewOrigin().y, view->GetViewSize().height - view->GetClientRect().Height());
}

TEST_F(Controls, ProgressStaysInItsRange) {
    Open("LAYOUT:XML_UPDATE");
    auto* progress = host->FindChildByName2<SProgress>("UpProg");
    progress->SetValue(42);
    EXPECT_EQ(progress->GetValue(), 42);
    progress->SetValue(250);
    EXPECT_EQ(progress->GetValue(), 100);
    progress->SetValue(-3);
    EXPECT_EQ(progress->GetValue(), 0);
}

TEST_F(Controls, HotkeyControlCapturesACombinationAndRaisesItsEvent) {
    Open("LAYOUT:XML_CUSTOM");
    auto* capture = host->FindChildByName2<SHotKeyCtrl>("ctrl_hk1");
    capture->SetFocus();
    driver->KeyDown(msg::kVkControl);
    driver->KeyDown(msg::kVkShift);
    driver->KeyDown('Q');
    driver->KeyUp('Q');
    driver->KeyUp(msg::kVkShift);
    driver->KeyUp(msg::kVkControl);
    std::uint16_t key = 0;
    std::uint16_t modifiers = 0;
    capture->GetHotKey(key, modifiers);
    EXPECT_EQ(key, 'Q');
    EXPECT_EQ(modifiers, msg::kModControl | msg::kModShift);
    EXPECT_EQ(capture->GetWindowText(), u"Ctrl+Shift+Q");
    EXPECT_FALSE(EventIdsFrom("ctrl_hk1").empty());
    EXPECT_EQ(EventIdsFrom("ctrl_hk1").back(), EventSetHotKey::kId);

    // Enter is captured, not given to the dialog.
    driver->PressKey(msg::kVkReturn);
    EXPECT_EQ(capture->GetWindowText(), u"Enter");
    // Alt+F5 arrives as system keys.
    driver->KeyDown(msg::kVkMenu);
    driver->KeyDown(0x74);
    driver->KeyUp(0x74);
    driver->KeyUp(msg::kVkMenu);
    EXPECT_EQ(capture->GetWindowText(), u"Alt+F5");
}

TEST_F(Controls, TabMovesTheFocusToTheNextUsableControl) {
    Open("LAYOUT:XML_CUSTOMTIME");
    driver->PressKey(msg::kVkTab);
    EXPECT_EQ(host->GetFocus(), host->FindChildByName("edt_customtime"));
    driver->TypeText(u"3");
    EXPECT_EQ(host->FindChildByName("edt_customtime")->GetWindowText(), u"3");
}

TEST_F(Controls, DropDownListLongerThanItsHeightScrolls) {
    Open("LAYOUT:XML_MAINWND");
    SListBox& list = host->FindChildByName2<SComboBox>("cbx_Time")->GetListBox();
    // The program's own list fits its 300-unit drop height: no scrolling.
    list.UpdateLayout({1, 1, 77, 299}, std::nullopt);
    EXPECT_FALSE(list.HasScrollBar());
    EXPECT_EQ(list.ItemAt({70, 1 + 9 * 22 + 5}), 9) << "the whole width holds items";

    while (list.GetCount() < 30) list.InsertItem(-1, u"x", 0);
    list.UpdateLayout({1, 1, 77, 111}, std::nullopt);  // five rows of 22
    ASSERT_TRUE(list.HasScrollBar());
    EXPECT_EQ(list.VisibleRows(), 5);
    EXPECT_EQ(list.ItemAt({10, 1 + 5}), 0);

    // The wheel: three rows a notch, never past either end.
    list.OnMouseWheel(-120);
    EXPECT_EQ(list.GetTopIndex(), 3);
    EXPECT_EQ(list.ItemAt({10, 1 + 22 + 5}), 4) << "rows count from the top index";
    list.OnMouseWheel(-120 * 50);
    EXPECT_EQ(list.GetTopIndex(), 25) << "the last page stays full";
    list.OnMouseWheel(120 * 50);
    EXPECT_EQ(list.GetTopIndex(), 0);

    // Arrow keys move the highlight; the list follows it.
    list.EnsureVisible(12);
    EXPECT_EQ(list.GetTopIndex(), 8);
    list.EnsureVisible(10);
    EXPECT_EQ(list.GetTopIndex(), 8) << "already visible: no scrolling";
    list.EnsureVisible(2);
    EXPECT_EQ(list.GetTopIndex(), 2);

    // The scroll bar: not an item; a press below the thumb pages, the thumb drags.
    const platform::Rect bar = list.ScrollBarRect();
    EXPECT_EQ(bar.right, 77);
    EXPECT_EQ(list.ItemAt({bar.left + 2, 1 + 5}), -1);
    list.SetTopIndex(0);
    const platform::Rect thumb = list.ThumbRect();
    ASSERT_TRUE(list.PressScrollBar({bar.left + 2, thumb.bottom + 2}));
    EXPECT_EQ(list.GetTopIndex(), 5);
    EXPECT_FALSE(list.DraggingScrollBar());
    const platform::Rect moved = list.ThumbRect();
    EXPECT_GT(moved.top, thumb.top) << "the thumb shows where the list is";
    ASSERT_TRUE(list.PressScrollBar({bar.left + 2, moved.top + 1}));
    EXPECT_TRUE(list.DraggingScrollBar());
    list.DragScrollBar({bar.left + 2, bar.bottom + 100});
    EXPECT_EQ(list.GetTopIndex(), 25);
    list.DragScrollBar({bar.left + 2, bar.top - 100});
    EXPECT_EQ(list.GetTopIndex(), 0);
    list.ReleaseScrollBar();
    list.DragScrollBar({bar.left + 2, bar.bottom});
    EXPECT_EQ(list.GetTopIndex(), 0) << "released: moves no longer scroll";
    EXPECT_FALSE(list.PressScrollBar({10, 10})) << "a press on an item is not the bar's";
}

TEST_F(Controls, ShiftTabWalksTheFocusOrderBackwards) {
    Open("LAYOUT:XML_SETTING");
    // Tick the boxes that enable the edits, so the order holds several kinds of control.
    ASSERT_TRUE(driver->Click("useFixedPos"));
    ASSERT_TRUE(driver->Click("useLimitCount"));
    host->SetFocus(nullptr);
    std::vector<SWindow*> forwards;
    for (int i = 0; i < 12; ++i) {
        driver->PressKey(msg::kVkTab);
        if (!forwards.empty() && host->GetFocus() == forwards.front()) break;  // wrapped around
        forwards.push_back(host->GetFocus());
    }
    ASSERT_GE(forwards.size(), 3u);
    ASSERT_EQ(host->GetFocus(), forwards.front());

    // From the first control Shift+Tab wraps to the last, then walks back.
    std::vector<SWindow*> backwards;
    for (std::size_t i = 0; i < forwards.size(); ++i) {
        driver->KeyDown(msg::kVkShift);
        driver->PressKey(msg::kVkTab);
        driver->KeyUp(msg::kVkShift);
        backwards.push_back(host->GetFocus());
    }
    const std::vector<SWindow*> expected(forwards.rbegin(), forwards.rend());
    EXPECT_EQ(backwards, expected);

    // Without a focused control it starts at the last one.
    host->SetFocus(nullptr);
    driver->KeyDown(msg::kVkShift);
    driver->PressKey(msg::kVkTab);
    driver->KeyUp(msg::kVkShift);
    EXPECT_EQ(host->GetFocus(), forwards.back());
    // Shift released: forwards again.
    driver->PressKey(msg::kVkTab);
    EXPECT_EQ(host->GetFocus(), forwards.front());
}

TEST_F(Controls, LinkOpensItsAddressUnlessTheWindowHandledTheClick) {
    Open("LAYOUT:XML_SETTING");
    host->FindChildByName2<STabCtrl>("tab_main")->SetCurSel(2);
    SLink* link = nullptr;
    std::vector<SWindow*> pending{host->GetRoot()};
    while (!pending.empty() && link == nullptr) {
        SWindow* window = pending.back();
        pending.pop_back();
        link = dynamic_cast<SLink*>(window);
        for (const auto& child : window->GetChildren()) pending.push_back(child.get());
    }
    ASSERT_NE(link, nullptr);
    const platform::Rect rect = link->GetWindowRect();
    driver->ClickAt({rect.left + 2, rect.top + rect.Height() / 2});
    ASSERT_EQ(ui.desktop.ShellState().OpenedUrls().size(), 1u);
    EXPECT_EQ(ui.desktop.ShellState().OpenedUrls()[0], link->GetHref());
    host->onEvent = [](EventArgs& event) { event.handled = event.id == EventCmd::kId; };
    driver->ClickAt({rect.left + 2, rect.top + rect.Height() / 2});
    EXPECT_EQ(ui.desktop.ShellState().OpenedUrls().size(), 1u);
}

}  // namespace
}  // namespace zintra::ui::test
