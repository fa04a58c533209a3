// The accessible tree of every window: what a screen reader reads (roles,
// names, values, states, where each control is), what it can do (default
// actions, focus, selection) and the changes it hears of.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Messages.h"
#include "sim/headless/PopupScript.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/controls/SComboBox.h"
#include "ui/controls/SHotKeyCtrl.h"
#include "ui/controls/SProgress.h"
#include "ui/controls/STabCtrl.h"
#include "ui/core/Accessible.h"
#include "ui/core/DropDownPopup.h"

namespace zintra::ui::test {
namespace {

using namespace accessible_state;

struct Seen {
    std::string name;
    AccessibleEvent event;
};

class RecordingObserver : public AccessibleObserver {
public:
    void OnAccessibleEvent(SHostWnd&, SWindow& control, AccessibleEvent event) override {
        seen.push_back({control.GetName(), event});
    }
    bool Saw(const std::string& name, AccessibleEvent event) const {
        return std::any_of(seen.begin(), seen.end(), [&](const Seen& s) { return s.name == name && s.event == event; });
    }
    std::vector<Seen> seen;
};

class Accessible : public ::testing::Test {
protected:
    void Open(const char* layout) {
        host = ShowHost(layout);
        tree = std::make_unique<AccessibleTree>(*host);
        driver = std::make_unique<HeadlessDriver>(*host, ui.backend);
    }
    // The first node below the root with this role and name.
    AccessibleNode Node(AccessibleRole role, std::u16string_view name) const {
        for (const AccessibleNode& node : tree->AllNodes()) {
            if (tree->Role(node) == role && tree->Name(node) == name) return node;
        }
        return {};
    }
    AccessibleNode Named(const char* controlName) const {
        return tree->NodeFor(*host->FindChildByName(controlName));
    }
    std::vector<std::pair<AccessibleRole, std::u16string>> TopLevel() const {
        std::vector<std::pair<AccessibleRole, std::u16string>> out;
        for (const AccessibleNode& node : tree->Children(tree->Root())) out.emplace_back(tree->Role(node), tree->Name(node));
        return out;
    }
    bool Lists(AccessibleRole role, std::u16string_view name) const { return static_cast<bool>(Node(role, name)); }

    UiFixture ui;
    std::unique_ptr<RecordingHost> host;
    std::unique_ptr<AccessibleTree> tree;
    std::unique_ptr<HeadlessDriver> driver;
};

TEST_F(Accessible, MainWindowShowsEveryControlWithItsRoleNameAndValue) {
    Open("LAYOUT:XML_MAINWND");
    EXPECT_EQ(tree->Role(tree->Root()), AccessibleRole::Client);
    EXPECT_EQ(tree->Name(Named("url")), u"Zintra官网");
    EXPECT_EQ(tree->Name(tree->Root()), u"Zintra");
    // Image buttons are named by their tips, radios and texts by their text.
    EXPECT_TRUE(Lists(AccessibleRole::PushButton, u"关闭"));
    EXPECT_TRUE(Lists(AccessibleRole::PushButton, u"最小化"));
    EXPECT_TRUE(Lists(AccessibleRole::PushButton, u"设置"));
    EXPECT_TRUE(Lists(AccessibleRole::StaticText, u"点击类型"));
    EXPECT_TRUE(Lists(AccessibleRole::RadioButton, u"鼠标左键"));
    EXPECT_TRUE(Lists(AccessibleRole::RadioButton, u"鼠标右键"));
    EXPECT_TRUE(Lists(AccessibleRole::RadioButton, u"左键长按"));
    EXPECT_TRUE(Lists(AccessibleRole::StaticText, u"按"));
    EXPECT_TRUE(Lists(AccessibleRole::StaticText, u"CRTL+Q"));
    // The lists are named by the label before them and read their selection.
    const AccessibleNode interval = Named("cbx_Time");
    EXPECT_EQ(tree->Role(interval), AccessibleRole::ComboBox);
    EXPECT_EQ(tree->Name(interval), u"每次点击间隔时间");
    EXPECT_EQ(tree->Value(interval), std::optional<std::u16string>(u"0.1"));
    EXPECT_EQ(tree->Name(Named("cbx_hotkey")), u"启动和停止的热键");
    EXPECT_EQ(tree->Role(Named("logo_url")), AccessibleRole::Link);
    // Decoration (images, the caption strip) and the tray icon are no nodes.
    for (const auto& [role, name] : TopLevel()) EXPECT_NE(role, AccessibleRole::Client);
    EXPECT_EQ(tree->NodeFor(*host->FindChildByID(110)), tree->Root());
    // Reading order of the tree is the document's.
    const auto top = TopLevel();
    const auto position = [&](std::u16string_view name) {
        return std::find_if(top.begin(), top.end(), [&](const auto& entry) { return entry.second == name; }) - top.begin();
    };
    EXPECT_LT(position(u"点击类型"), position(u"鼠标左键"));
    EXPECT_LT(position(u"鼠标左键"), position(u"鼠标右键"));
}

TEST_F(Accessible, StatesFollowTheControls) {
    Open("LAYOUT:XML_MAINWND");
    const AccessibleNode left = Named("type_left");
    const AccessibleNode right = Named("type_right");
    EXPECT_EQ(tree->States(left) & (kChecked | kFocusable | kFocused), kChecked | kFocusable);
    EXPECT_EQ(tree->States(right) & kChecked, 0u);
    ASSERT_TRUE(tree->DoDefaultAction(right));
    EXPECT_NE(tree->States(right) & kChecked, 0u);
    EXPECT_NE(tree->States(right) & kFocused, 0u);
    EXPECT_EQ(tree->States(left) & kChecked, 0u);
    EXPECT_EQ(tree->Focus(), right);

    host->FindChildByName("cbx_Time")->SetAttribute("enable", "0");
    EXPECT_EQ(tree->States(Named("cbx_Time")) & (kUnavailable | kFocusable), kUnavailable);
    EXPECT_FALSE(tree->DoDefaultAction(Named("cbx_Time")));
    EXPECT_TRUE(ui.backend.DropDowns().empty());

    // A node held while its control is hidden reads as invisible and leaves the tree.
    SWindow* close = host->FindChildByName("btn_close");
    const AccessibleNode closeNode = tree->NodeFor(*close);
    close->SetVisible(false);
    EXPECT_NE(tree->States(closeNode) & kInvisible, 0u);
    EXPECT_FALSE(tree->Contains(closeNode));
    EXPECT_FALSE(tree->DoDefaultAction(closeNode));
}

TEST_F(Accessible, DefaultActionsDoWhatAClickDoes) {
    Open("LAYOUT:XML_SETTING");
    const AccessibleNode limit = Named("useLimitCount");
    EXPECT_EQ(tree->DefaultAction(limit), u"Check");
    ASSERT_TRUE(tree->DoDefaultAction(limit));
    EXPECT_TRUE(host->FindChildByName("useLimitCount")->IsChecked());
    EXPECT_EQ(tree->DefaultAction(limit), u"Uncheck");
    EXPECT_EQ(host->events.back().name, "useLimitCount");
    EXPECT_EQ(host->events.back().id, EventCmd::kId);

    EXPECT_EQ(tree->DefaultAction(Named("btn_sure")), u"Press");
    ASSERT_TRUE(tree->DoDefaultAction(Named("btn_sure")));
    EXPECT_EQ(host->events.back().name, "btn_sure");
    EXPECT_EQ(host->events.back().id, EventCmd::kId);
    // Text has nothing to do.
    EXPECT_EQ(tree->DefaultAction(Node(AccessibleRole::StaticText, u"秒")), u"");
    EXPECT_FALSE(tree->DoDefaultAction(Node(AccessibleRole::StaticText, u"秒")));
}

TEST_F(Accessible, ComboBoxEntriesAreItsChildrenAndSelectingOneChangesTheSelection) {
    Open("LAYOUT:XML_MAINWND");
    const AccessibleNode interval = Named("cbx_Time");
    const auto entries = tree->Children(interval);
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(tree->Role(entries[4]), AccessibleRole::ListItem);
    EXPECT_EQ(tree->Name(entries[4]), u"0.2");
    EXPECT_EQ(tree->Name(entries[9]), u"自定义");
    EXPECT_EQ(tree->Parent(entries[4]), interval);
    EXPECT_EQ(tree->Selection(interval), entries[3]);
    EXPECT_NE(tree->States(entries[3]) & kSelected, 0u);
    EXPECT_EQ(tree->DefaultAction(entries[4]), u"Select");
    ASSERT_TRUE(tree->DoDefaultAction(entries[4]));
    EXPECT_EQ(tree->Value(interval), std::optional<std::u16string>(u"0.2"));
    EXPECT_EQ(tree->Selection(interval), entries[4]);
    EXPECT_EQ(host->events.back().name, "cbx_Time");
    EXPECT_EQ(host->events.back().id, EventCBSelChange::kId);
    // Opening is the list's own default action.
    EXPECT_EQ(tree->DefaultAction(interval), u"Open");
    ASSERT_TRUE(tree->DoDefaultAction(interval));
    EXPECT_EQ(ui.backend.DropDowns().size(), 1u);
    EXPECT_EQ(tree->Children(entries[4]).size(), 0u);
}

TEST_F(Accessible, LocationsAreScreenRectanglesOfTheControls) {
    Open("LAYOUT:XML_MAINWND");
    host->MoveWindow({130, 70, 530, 370});
    const platform::Rect root = tree->ScreenRect(tree->Root());
    EXPECT_EQ(root.left, 130);
    EXPECT_EQ(root.top, 70);
    EXPECT_EQ(root.Width(), 400);
    EXPECT_EQ(root.Height(), 300);
    SWindow* combo = host->FindChildByName("cbx_Time");
    const platform::Rect client = combo->GetWindowRect();
    const platform::Rect screen = tree->ScreenRect(Named("cbx_Time"));
    EXPECT_EQ(screen.left, 130 + client.left);
    EXPECT_EQ(screen.top, 70 + client.top);
    EXPECT_EQ(screen.Width(), 78);
    EXPECT_EQ(screen.Height(), 22);
    // The node at the middle of a control is that control; outside, nothing.
    EXPECT_EQ(tree->HitTest({screen.left + 5, screen.top + 5}), Named("cbx_Time"));
    EXPECT_FALSE(tree->HitTest({10, 10}));
    EXPECT_EQ(tree->HitTest({root.left + 200, root.bottom - 2}), tree->Root()) << "the footer background";
}

// A closed list's entries are nowhere on the screen; an open one's are its
// rows, in the pop-up's pixels (two per unit at 192 DPI), where a click at
// their centre lands on them.
TEST_F(Accessible, OpenDropDownEntriesAreTheirRowsOnTheScreen) {
    ui.desktop.SetMonitors({{{0, 0, 3840, 2160}, {0, 0, 3840, 2080}, 192}});
    Open("LAYOUT:XML_MAINWND");
    const auto entries = tree->Children(Named("cbx_Time"));
    ASSERT_EQ(entries.size(), 10u);
    const auto offscreen = [&](const AccessibleNode& entry) {
        return tree->ScreenRect(entry).Width() == 0 && (tree->States(entry) & (kInvisible | kOffscreen)) == (kInvisible | kOffscreen);
    };
    EXPECT_TRUE(std::all_of(entries.begin(), entries.end(), offscreen));
    bool opened = false;
    ui.backend.SetPopupHook([&](PopupInput& input) {
        const auto& popup = dynamic_cast<DropDownPopup&>(input);
        const platform::Rect frame = popup.Spec().rect;
        for (int i = 0; i < 10; ++i) {
            const platform::Rect row = tree->ScreenRect(entries[static_cast<std::size_t>(i)]);
            EXPECT_EQ(row, (platform::Rect{frame.left + 2, frame.top + 2 + 44 * i, frame.right - 2, frame.top + 46 + 44 * i}));
            EXPECT_EQ(popup.EntryAt({row.left + row.Width() / 2, row.top + row.Height() / 2}), i);
            EXPECT_EQ(tree->States(entries[static_cast<std::size_t>(i)]) & (kInvisible | kOffscreen), 0u);
        }
        opened = true;
    });
    ASSERT_TRUE(tree->DoDefaultAction(Named("cbx_Time")));
    EXPECT_TRUE(opened);
    EXPECT_TRUE(std::all_of(entries.begin(), entries.end(), offscreen)) << "closed again";
}

// Rows scrolled out of a short list are off the screen; the last one shown
// is cut at the list's edge, and no row reaches under the scroll bar.
TEST_F(Accessible, EntriesScrolledOutOfTheOpenListAreOffTheScreen) {
    Open("LAYOUT:XML_MAINWND");
    host->FindChildByName("cbx_Time")->SetAttribute("dropHeight", "100");
    const auto entries = tree->Children(Named("cbx_Time"));
    const auto shown = [&](int i) { return !(tree->States(entries[static_cast<std::size_t>(i)]) & kInvisible); };
    const auto rect = [&](int i) { return tree->ScreenRect(entries[static_cast<std::size_t>(i)]); };
    bool opened = false;
    ui.backend.SetPopupHook([&](PopupInput& input) {
        auto& popup = dynamic_cast<DropDownPopup&>(input);
        const platform::Rect frame = popup.Spec().rect;
        EXPECT_TRUE(shown(0) && shown(4) && !shown(5) && !shown(9));
        EXPECT_EQ(rect(4).top, frame.top + 1 + 4 * 22);
        EXPECT_EQ(rect(4).bottom, frame.bottom - 1) << "cut at the list's edge";
        EXPECT_EQ(rect(9), platform::Rect{});
        EXPECT_EQ(popup.EntryAt({rect(0).right, rect(0).top + 5}), -1) << "the scroll bar";
        popup_script::Key(popup, msg::kVkEnd);
        EXPECT_TRUE(!shown(0) && !shown(5) && shown(6) && shown(9));
        EXPECT_EQ(rect(6).top, frame.top + 1);
        EXPECT_EQ(popup.EntryAt({rect(9).left + 5, rect(9).top + 5}), 9);
        opened = true;
    });
    ASSERT_TRUE(tree->DoDefaultAction(Named("cbx_Time")));
    EXPECT_TRUE(opened);
}

TEST_F(Accessible, SettingsTabsArePageTabsAndOnlyTheShownPageIsRead) {
    Open("LAYOUT:XML_SETTING");
    const AccessibleNode tabs = Named("tab_main");
    EXPECT_EQ(tree->Role(tabs), AccessibleRole::PageTabList);
    const auto pages = tree->Children(tabs);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(tree->Role(pages[0]), AccessibleRole::PageTab);
    EXPECT_EQ(tree->Name(pages[0]), u"点击设置");
    EXPECT_EQ(tree->Name(pages[1]), u"其他设置");
    EXPECT_EQ(tree->Name(pages[2]), u"关于");
    EXPECT_EQ(tree->Selection(tabs), pages[0]);
    EXPECT_EQ(tree->Name(tabs), u"点击设置");
    EXPECT_TRUE(Lists(AccessibleRole::CheckBox, u"启用限制连点次数"));
    EXPECT_FALSE(Lists(AccessibleRole::CheckBox, u"跟随系统一起启动程序"));
    // Disabled fields are named by the label before them.
    const AccessibleNode posX = Named("edt_posX");
    EXPECT_EQ(tree->Role(posX), AccessibleRole::EditableText);
    EXPECT_EQ(tree->Name(posX), u"X坐标");
    EXPECT_EQ(tree->Value(posX), std::optional<std::u16string>(u"0"));
    EXPECT_NE(tree->States(posX) & kUnavailable, 0u);
    EXPECT_EQ(tree->Name(Named("edt_LimitCount")), u"点击");

    ASSERT_TRUE(tree->DoDefaultAction(pages[1]));
    EXPECT_EQ(host->FindChildByName2<STabCtrl>("tab_main")->GetCurSel(), 1);
    EXPECT_TRUE(Lists(AccessibleRole::CheckBox, u"跟随系统一起启动程序"));
    EXPECT_FALSE(Lists(AccessibleRole::CheckBox, u"启用限制连点次数"));
    // The tab is where its header is drawn.
    const platform::Rect header = host->FindChildByName2<STabCtrl>("tab_main")->GetTabRect(1);
    EXPECT_EQ(tree->ScreenRect(pages[1]).Width(), header.Width());
    const platform::Rect screenHeader = tree->ScreenRect(pages[1]);
    EXPECT_EQ(tree->HitTest({screenHeader.left + 3, screenHeader.top + 3}), pages[1]);
}

TEST_F(Accessible, HotkeyFieldIsNamedByItsLabelAndReadsTheKeys) {
    Open("LAYOUT:XML_CUSTOM");
    const AccessibleNode field = Named("ctrl_hk1");
    EXPECT_EQ(tree->Role(field), AccessibleRole::HotKeyField);
    EXPECT_EQ(tree->Name(field), u"请直接在键盘上输入新的热键");
    ASSERT_TRUE(tree->Select(field));
    driver->PressKey(msg::kVkF8);
    EXPECT_EQ(tree->Value(field), std::optional<std::u16string>(u"F8"));
    EXPECT_TRUE(Lists(AccessibleRole::PushButton, u"取消"));
    EXPECT_TRUE(Lists(AccessibleRole::PushButton, u"确定"));
}

TEST_F(Accessible, UpdateProgressAppearsWithItsPanelAndReadsInPercent) {
    Open("LAYOUT:XML_UPDATE");
    EXPECT_EQ(tree->NodeFor(*host->FindChildByName("UpProg")), tree->Root()) << "hidden: only the window stands for it";
    EXPECT_TRUE(Lists(AccessibleRole::PushButton, u"立即更新"));
    host->FindChildByName("upProgressWindow")->SetAttribute("show", "1");
    host->FindChildByName2<SProgress>("UpProg")->SetValue(37);
    const AccessibleNode progress = Named("UpProg");
    EXPECT_EQ(tree->Role(progress), AccessibleRole::ProgressBar);
    EXPECT_EQ(tree->Value(progress), std::optional<std::u16string>(u"37%"));
    EXPECT_TRUE(Lists(AccessibleRole::StaticText, u"正在下载安装包..."));
}

TEST_F(Accessible, NavigationWalksSiblingsInTreeOrder) {
    Open("LAYOUT:XML_CUSTOMTIME");
    const auto top = tree->Children(tree->Root());
    ASSERT_GE(top.size(), 4u);
    EXPECT_EQ(tree->Next(top[0]), top[1]);
    EXPECT_EQ(tree->Previous(top[1]), top[0]);
    EXPECT_FALSE(tree->Previous(top[0]));
    EXPECT_FALSE(tree->Next(top.back()));
    EXPECT_EQ(tree->Parent(top[1]), tree->Root());
    EXPECT_FALSE(tree->Parent(tree->Root()));
    EXPECT_EQ(tree->Name(top[0]), u"请输入要设置的时间间隔");
    EXPECT_EQ(tree->Name(Named("edt_customtime")), u"请输入要设置的时间间隔");
}

TEST_F(Accessible, ObserverHearsFocusStateValueNameAndVisibilityChanges) {
    RecordingObserver observer;
    AccessibleObserver* previous = SetAccessibleObserver(&observer);
    Open("LAYOUT:XML_SETTING");
    observer.seen.clear();
    driver->Click("useLimitCount");
    EXPECT_TRUE(observer.Saw("useLimitCount", AccessibleEvent::Focus));
    EXPECT_TRUE(observer.Saw("useLimitCount", AccessibleEvent::StateChange));
    host->FindChildByName("edt_LimitCount")->SetAttribute("enable", "1");
    EXPECT_TRUE(observer.Saw("edt_LimitCount", AccessibleEvent::StateChange));
    host->FindChildByName("edt_LimitCount")->SetFocus();
    driver->TypeText(u"3");
    EXPECT_TRUE(observer.Saw("edt_LimitCount", AccessibleEvent::ValueChange));
    host->FindChildByName("txt_testCount")->SetWindowText(u"当前已经点击3次");
    EXPECT_TRUE(observer.Saw("txt_testCount", AccessibleEvent::NameChange));
    host->FindChildByName2<STabCtrl>("tab_main")->SetCurSel(2);
    EXPECT_TRUE(observer.Saw("tab_main", AccessibleEvent::Selection));
    host->FindChildByName("btn_default")->SetAttribute("show", "0");
    EXPECT_TRUE(observer.Saw("btn_default", AccessibleEvent::Hide));
    host->FindChildByName("btn_default")->SetAttribute("show", "1");
    EXPECT_TRUE(observer.Saw("btn_default", AccessibleEvent::Show));
    // Setting the same text again is no change.
    observer.seen.clear();
    host->FindChildByName("txt_testCount")->SetWindowText(u"当前已经点击3次");
    EXPECT_TRUE(observer.seen.empty());
    SetAccessibleObserver(previous);
}

TEST_F(Accessible, EveryNodeOfEveryWindowHasANameOrAValue) {
    for (const char* layout : {"LAYOUT:XML_MAINWND", "LAYOUT:XML_SETTING", "LAYOUT:XML_CUSTOM", "LAYOUT:XML_CUSTOMTIME",
                               "LAYOUT:XML_UPDATE"}) {
        Open(layout);
        for (const AccessibleNode& node : tree->AllNodes()) {
            const bool named = !tree->Name(node).empty() || tree->Value(node).has_value();
            EXPECT_TRUE(named) << layout << ": " << node.control->GetName() << " item " << node.item;
        }
        host->DestroyWindow();
    }
}

class WindowRecorder : public AccessibleObserver {
public:
    void OnAccessibleEvent(SHostWnd&, SWindow&, AccessibleEvent) override {}
    void OnAccessibleWindow(SHostWnd& host, AccessibleWindowEvent event) override {
        const auto& hosts = AccessibleHosts();
        seen.push_back({&host, event, std::find(hosts.begin(), hosts.end(), &host) != hosts.end()});
    }
    struct Seen {
        SHostWnd* host;
        AccessibleWindowEvent event;
        bool listed;  // whether the host was in the list while the observer heard of it
    };
    std::vector<Seen> seen;
};

TEST_F(Accessible, OpenWindowsAreListedFromOpeningToClosingAndObserversHearBothWhileListed) {
    WindowRecorder recorder;
    AccessibleObserver* previous = SetAccessibleObserver(&recorder);
    Open("LAYOUT:XML_MAINWND");
    RecordingHost second("LAYOUT:XML_SETTING");
    ASSERT_NE(second.Create(), 0u);
    EXPECT_EQ(AccessibleHosts(), (std::vector<SHostWnd*>{host.get(), &second}));
    second.DestroyWindow();
    EXPECT_EQ(AccessibleHosts(), (std::vector<SHostWnd*>{host.get()}));
    host->DestroyWindow();
    EXPECT_TRUE(AccessibleHosts().empty());
    // A window that is not open is neither activated nor closed.
    NotifyAccessibleWindow(second, AccessibleWindowEvent::Activated);
    SetAccessibleObserver(previous);
    ASSERT_EQ(recorder.seen.size(), 4u);
    EXPECT_EQ(recorder.seen[1].host, &second);
    EXPECT_EQ(recorder.seen[1].event, AccessibleWindowEvent::Opened);
    EXPECT_EQ(recorder.seen[2].host, &second);
    EXPECT_EQ(recorder.seen[2].event, AccessibleWindowEvent::Closed);
    for (const auto& seen : recorder.seen) EXPECT_TRUE(seen.listed);
}

}  // namespace
}  // namespace zintra::ui::test
