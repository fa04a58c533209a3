// What Linux screen readers are told of the accessible tree (AT-SPI 2's
// roles, state sets, label relations, actions, interfaces, object paths,
// text pieces and event listeners), on the headless backend.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Messages.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/atspi/AtspiMapping.h"
#include "ui/core/Accessible.h"

namespace zintra::ui::test {
namespace {

using atspi::AtspiMapping;
using atspi::Has;
using atspi::NodeKey;
using atspi::State;

class AtspiMappingTest : public ::testing::Test {
protected:
    void Open(const char* layout) {
        host = ShowHost(layout);
        tree = std::make_unique<AccessibleTree>(*host);
    }
    AccessibleNode Named(const char* name) const { return tree->NodeFor(*host->FindChildByName(name)); }
    atspi::StateSet States(const AccessibleNode& node, bool active = true) const {
        return mapping.States(*tree, node, active);
    }
    bool HasInterface(const AccessibleNode& node, const std::string& name) const {
        const auto interfaces = mapping.Interfaces(*tree, node);
        return std::find(interfaces.begin(), interfaces.end(), name) != interfaces.end();
    }

    UiFixture ui;
    AtspiMapping mapping;
    std::unique_ptr<RecordingHost> host;
    std::unique_ptr<AccessibleTree> tree;
};

TEST_F(AtspiMappingTest, WindowsAreFramesOrDialogsAndFieldsAreEntries) {
    Open("LAYOUT:XML_MAINWND");
    EXPECT_EQ(mapping.Role(*tree, tree->Root()), atspi::role::kFrame);
    EXPECT_EQ(mapping.Role(*tree, Named("btn_Sett")), atspi::role::kPushButton);
    EXPECT_EQ(mapping.Role(*tree, Named("cbx_Time")), atspi::role::kComboBox);
    EXPECT_EQ(mapping.Role(*tree, AccessibleNode{host->FindChildByName("cbx_Time"), 0}), atspi::role::kListItem);
    EXPECT_EQ(AtspiMapping::LocalizedRoleName(atspi::role::kPushButton), u"按钮");
    Open("LAYOUT:XML_SETTING");
    EXPECT_EQ(mapping.Role(*tree, tree->Root()), atspi::role::kDialog);
    EXPECT_EQ(mapping.Role(*tree, Named("edt_LimitCount")), atspi::role::kEntry);
    EXPECT_EQ(AtspiMapping::RoleName(mapping.Role(*tree, Named("useLimitCount"))), "check box");
}

TEST_F(AtspiMappingTest, ADisabledCheckedCheckBoxStaysCheckedButIsNeitherEnabledNorSensitive) {
    Open("LAYOUT:XML_SETTING");
    SWindow& limit = *host->FindChildByName("useLimitCount");
    limit.SetCheck(true);
    limit.EnableWindow(false);
    const atspi::StateSet states = States(Named("useLimitCount"));
    EXPECT_TRUE(Has(states, State::Checked));
    EXPECT_TRUE(Has(states, State::Checkable));
    EXPECT_TRUE(Has(states, State::Showing));
    EXPECT_FALSE(Has(states, State::Enabled));
    EXPECT_FALSE(Has(states, State::Sensitive));
    EXPECT_FALSE(Has(states, State::Focusable));
    // Unchecked again while disabled: the set follows the control, not a copy.
    limit.SetCheck(false);
    EXPECT_FALSE(Has(States(Named("useLimitCount")), State::Checked));
}

TEST_F(AtspiMappingTest, AFocusedEditIsFocusedOnlyWhileItsWindowIsActive) {
    Open("LAYOUT:XML_SETTING");
    // The settings' class enables the field with its check box; this host has no class.
    host->FindChildByName("edt_time")->EnableWindow(true);
    const AccessibleNode edit = Named("edt_time");
    ASSERT_TRUE(tree->Select(edit));
    EXPECT_TRUE(Has(States(edit, true), State::Focused));
    EXPECT_TRUE(Has(States(edit, true), State::Editable));
    EXPECT_TRUE(Has(States(edit, true), State::SingleLine));
    EXPECT_FALSE(Has(States(edit, false), State::Focused));
    EXPECT_TRUE(Has(States(edit, false), State::Focusable));
    EXPECT_TRUE(Has(States(tree->Root(), true), State::Active));
    EXPECT_FALSE(Has(States(tree->Root(), false), State::Active));
    // What it reads is what it holds, by Text and not by Value.
    EXPECT_TRUE(HasInterface(edit, "org.a11y.atspi.Text"));
    EXPECT_FALSE(HasInterface(edit, "org.a11y.atspi.Value"));
    EXPECT_EQ(mapping.Text(*tree, edit), tree->Value(edit).value_or(u"?"));
    host->FindChildByName("edt_time")->EnableWindow(false);
    EXPECT_FALSE(Has(States(edit), State::Editable));
}

TEST_F(AtspiMappingTest, TheChosenEntryOfADropDownIsSelectedAndEntriesAreSelectedByTheirAction) {
    Open("LAYOUT:XML_MAINWND");
    SWindow* interval = host->FindChildByName("cbx_Time");
    const AccessibleNode chosen = tree->Selection(Named("cbx_Time"));
    ASSERT_TRUE(chosen);
    const AccessibleNode other{interval, chosen.item == 0 ? 1 : 0};
    EXPECT_TRUE(Has(States(chosen), State::Selected));
    EXPECT_TRUE(Has(States(chosen), State::Selectable));
    EXPECT_FALSE(Has(States(other), State::Selected));
    EXPECT_TRUE(Has(States(other), State::Selectable));
    EXPECT_EQ(mapping.ActionName(*tree, other), "select");
    EXPECT_EQ(mapping.ActionDescription(*tree, other), u"选中");
    EXPECT_TRUE(HasInterface(Named("cbx_Time"), "org.a11y.atspi.Selection"));
    EXPECT_FALSE(HasInterface(other, "org.a11y.atspi.Selection"));
    EXPECT_FALSE(HasInterface(other, "org.a11y.atspi.Text"));
    ASSERT_TRUE(tree->DoDefaultAction(other));
    EXPECT_TRUE(Has(States(other), State::Selected));
    EXPECT_FALSE(Has(States(chosen), State::Selected));
}

TEST_F(AtspiMappingTest, ALabelAndTheFieldAfterItNameEachOtherAndNothingElseDoes) {
    Open("LAYOUT:XML_MAINWND");
    const AccessibleNode interval = Named("cbx_Time");
    const auto labelled = mapping.Relations(*tree, interval);
    ASSERT_EQ(labelled.size(), 1u);
    EXPECT_EQ(labelled[0].type, atspi::relation::kLabelledBy);
    EXPECT_EQ(tree->Name(labelled[0].target), tree->Name(interval));
    const auto labels = mapping.Relations(*tree, labelled[0].target);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].type, atspi::relation::kLabelFor);
    EXPECT_EQ(labels[0].target, interval);
    // A label before a radio button labels nothing; buttons have no label.
    EXPECT_TRUE(mapping.Relations(*tree, tree->Previous(Named("type_left"))).empty());
    EXPECT_TRUE(mapping.Relations(*tree, Named("btn_Sett")).empty());
    EXPECT_TRUE(mapping.Relations(*tree, AccessibleNode{host->FindChildByName("cbx_Time"), 0}).empty());
}

TEST_F(AtspiMappingTest, ButtonsAreClickedAndCheckBoxesSayWhichWayTheyGo) {
    Open("LAYOUT:XML_SETTING");
    EXPECT_EQ(mapping.ActionName(*tree, Named("btn_sure")), "click");
    EXPECT_EQ(mapping.ActionDescription(*tree, Named("btn_sure")), u"按下");
    EXPECT_EQ(mapping.ActionDescription(*tree, Named("useLimitCount")), u"勾选");
    host->FindChildByName("useLimitCount")->SetCheck(true);
    EXPECT_EQ(mapping.ActionDescription(*tree, Named("useLimitCount")), u"取消勾选");
    EXPECT_TRUE(mapping.ActionName(*tree, Named("edt_time")).empty());
    EXPECT_FALSE(HasInterface(Named("edt_time"), "org.a11y.atspi.Action"));
    EXPECT_TRUE(mapping.ActionName(*tree, tree->Root()).empty());
}

TEST_F(AtspiMappingTest, AVanishedNodeHasNoStatesActionsOrRelations) {
    Open("LAYOUT:XML_MAINWND");
    const AccessibleNode interval = Named("cbx_Time");
    host->FindChildByName("cbx_Time")->SetVisible(false);
    EXPECT_EQ(States(interval), (atspi::StateSet{0, 0}));
    EXPECT_TRUE(mapping.ActionName(*tree, interval).empty());
    EXPECT_TRUE(mapping.Relations(*tree, interval).empty());
    EXPECT_TRUE(mapping.Relations(*tree, tree->Previous(Named("cbx_hotkey"))).size() == 1u);
}

TEST_F(AtspiMappingTest, PathsNameNodesAndNothingElse) {
    Open("LAYOUT:XML_MAINWND");
    const AccessibleNode entry{host->FindChildByName("cbx_Time"), 3};
    for (const AccessibleNode& node : {tree->Root(), Named("btn_Sett"), entry}) {
        const NodeKey key = AtspiMapping::KeyOf(*tree, node);
        EXPECT_EQ(AtspiMapping::KeyOfPath(AtspiMapping::PathOf(key)), std::optional<NodeKey>(key));
    }
    EXPECT_NE(AtspiMapping::KeyOf(*tree, entry), AtspiMapping::KeyOf(*tree, Named("cbx_Time")));
    EXPECT_TRUE(AtspiMapping::KeyOfPath(AtspiMapping::kRootPath)->application);
    for (const char* path : {"/org/a11y/atspi/accessible/c12x", "/org/a11y/atspi/accessible/c0",
                             "/org/a11y/atspi/accessible/c5_", "/org/a11y/atspi/accessible/c5_-1",
                             "/org/a11y/atspi/accessible/w7_1", "/org/a11y/atspi/accessible/",
                             "/org/a11y/atspi/accessible/x5", "/org/a11y/atspi/null", "/other/c5",
                             "/org/a11y/atspi/accessible/c99999999999"}) {
        EXPECT_FALSE(AtspiMapping::KeyOfPath(path)) << path;
    }
}

TEST(AtspiText, WordsAreRunsOfLettersOrSingleIdeographsAndOffsetsOutsideReadNothing) {
    const std::u32string text = U"abc 开始 x";
    const auto word = AtspiMapping::StringAt(text, 1, atspi::Granularity::Word);
    EXPECT_EQ(word.text, U"abc ");
    EXPECT_EQ(word.start, 0);
    EXPECT_EQ(word.end, 4);
    const auto ideograph = AtspiMapping::TextAt(text, 5, atspi::Boundary::WordStart);
    EXPECT_EQ(ideograph.text, U"始 ");
    EXPECT_EQ(ideograph.start, 5);
    EXPECT_EQ(ideograph.end, 7);
    EXPECT_EQ(AtspiMapping::StringAt(text, 4, atspi::Granularity::Char).text, U"开");
    EXPECT_TRUE(AtspiMapping::StringAt(text, 8, atspi::Granularity::Char).text.empty());
    EXPECT_EQ(AtspiMapping::StringAt(text, 8, atspi::Granularity::Char).start, 8);
    EXPECT_TRUE(AtspiMapping::StringAt(text, 9, atspi::Granularity::Word).text.empty());
    EXPECT_TRUE(AtspiMapping::StringAt(text, -1, atspi::Granularity::Line).text.empty());
    EXPECT_EQ(AtspiMapping::TextAt(text, 2, atspi::Boundary::LineStart).text, text);
}

TEST(AtspiListeners, AListenerHearsItsEventAndWhatLiesBelowItInEitherSpelling) {
    EXPECT_TRUE(AtspiMapping::ListenerWants("object:state-changed:focused", "object:state-changed:focused"));
    EXPECT_TRUE(AtspiMapping::ListenerWants("Object:StateChanged:", "object:state-changed:focused"));
    EXPECT_TRUE(AtspiMapping::ListenerWants("object:", "object:children-changed:add"));
    EXPECT_TRUE(AtspiMapping::ListenerWants("", "window:activate"));
    EXPECT_FALSE(AtspiMapping::ListenerWants("object:state-changed:checked", "object:state-changed:focused"));
    EXPECT_FALSE(AtspiMapping::ListenerWants("object:state", "object:state-changed:focused"));
    EXPECT_FALSE(AtspiMapping::ListenerWants("window:activate", "window:deactivate"));
    EXPECT_FALSE(AtspiMapping::ListenerWants("object:state-changed:focused", "object:state-changed"));
}

}  // namespace
}  // namespace zintra::ui::test
