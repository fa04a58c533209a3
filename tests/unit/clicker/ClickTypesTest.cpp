// Each click type end to end as the program meets it: its radio in the main
// window, the clicks of a run, the count test's clicks, and the stored value
// across a restart; and what each of them makes of a stored value no type has.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "clicker/ClickTypes.h"
#include "tests/unit/mainwindow/MainWindowFixture.h"

namespace zintra::test {
namespace {

using Flags = std::array<std::uint32_t, 3>;

constexpr char16_t kLayoutCaption[] = u"启动和停止的热键";

bool Presses(std::uint32_t flags) {
    for (const platform::MouseButton& button : platform::kMouseButtons) {
        if (flags == button.downFlag) return true;
    }
    return false;
}

// The flags that release the button `down` presses; 0 when it presses none.
std::uint32_t ReleaseOf(std::uint32_t down) {
    for (const platform::MouseButton& button : platform::kMouseButtons) {
        if (down == button.downFlag) return button.upFlag;
    }
    return 0;
}

class ClickTypeTable : public MainWindowTest {
protected:
    // Ends a running program the way the tray menu's exit does, stores
    // `clickType` as the only setting and starts again.
    void StartWithStoredType(std::int32_t clickType) {
        if (main) {
            main->SendMessage(msg::kClose, 0, 0);
            desktop.DispatchPosted();
            main.reset();
        }
        std::vector<std::uint8_t> data(12, 0);
        std::memcpy(&data[8], &clickType, 4);
        desktop.PutValue(kProgramKey, u"MouseData", platform::reg::kBinary, data);
        Start();
    }

    // The first click of a run started and stopped with the hotkey.
    Flags RunClick() {
        desktop.ClearSentEvents();
        EXPECT_TRUE(PressHotkey());
        EXPECT_TRUE(PressHotkey());
        desktop.AdvanceBy(1000);
        return FirstClick();
    }

    // The first click of the count test, tried in the settings window.
    Flags TrialClick() {
        desktop.ClearSentEvents();
        main->Settings().limitCount = 1;
        OnNextDialog([this](ui::SHostDialog& dialog, ui::HeadlessDriver& settingsDriver) {
            const platform::Rect button = settingsDriver.State("btn_test")->rect;
            const platform::Point centre{button.left + button.Width() / 2, button.top + button.Height() / 2};
            desktop.MoveCursor(dialog.ClientToScreen(centre));
            EXPECT_TRUE(PressHotkey());
            settingsDriver.Click("btn_close");
        });
        EXPECT_TRUE(driver->Click("btn_Sett"));
        return FirstClick();
    }

    Flags FirstClick() const {
        const auto& events = desktop.SentEvents();
        if (events.size() < 3) return {};
        return {events[0].flags, events[1].flags, events[2].flags};
    }

    std::int32_t StoredClickType() {
        const std::vector<std::uint8_t> record = StoredRecord();
        std::int32_t clickType = -1;
        if (record.size() >= 12) std::memcpy(&clickType, &record[8], 4);
        return clickType;
    }

    void ExpectOnlyRadioChecked(std::string_view radio) {
        for (const ClickTypeEntry& type : kClickTypes) {
            EXPECT_EQ(driver->State(type.radio)->checked, type.radio == radio) << type.radio;
        }
    }
};

TEST_F(ClickTypeTable, EveryTypeRunsTriesAndComesBackOnItsRadio) {
    Start();
    for (const ClickTypeEntry& type : kClickTypes) {
        SCOPED_TRACE(std::string(type.radio));
        ASSERT_TRUE(driver->Click(type.radio)) << "every type's radio is in the layout";
        EXPECT_EQ(main->Settings().clickType, type.stored);
        ExpectOnlyRadioChecked(type.radio);
        EXPECT_EQ(Text("txt_mousetype"), type.caption);
        EXPECT_EQ(driver->State("cbx_Time")->enabled, type.UsesInterval());

        const Flags run = RunClick();
        EXPECT_EQ(run, (Flags{msg::kMouseEventAbsolute, type.click.first, type.click.second}));
        EXPECT_EQ(desktop.LastRequestedPeriod(), type.ownPeriod.value_or(100u)) << "100 ms is the default interval";
        EXPECT_TRUE(Presses(run[1]));
        // A type paced by the interval clicks; one with a period of its own holds its button.
        EXPECT_EQ(run[2], type.UsesInterval() ? ReleaseOf(run[1]) : run[1]);

        const Flags trial = TrialClick();
        EXPECT_EQ(trial, (Flags{msg::kMouseEventAbsolute, type.trial.first, type.trial.second}));
        EXPECT_EQ(trial[1], run[1]) << "the count test tries the type's own button";
        EXPECT_EQ(trial[2], ReleaseOf(trial[1])) << "as one complete click";

        Restart();
        EXPECT_EQ(StoredClickType(), type.stored);
        ExpectOnlyRadioChecked(type.radio);
        EXPECT_EQ(driver->State("cbx_Time")->enabled, type.UsesInterval());
    }
    EXPECT_TRUE(log.empty()) << log.front();
}

TEST_F(ClickTypeTable, UnknownStoredTypeClicksLeftButShowsOnTheLongPressRadio) {
    const ClickTypeEntry& left = *FindClickType(kClickLeft);
    const ClickTypeEntry& longPress = *FindClickType(kClickLeftLongPress);
    for (const std::int32_t unknown : {3, -1, 0x7FFFFFFF}) {
        SCOPED_TRACE(unknown);
        ASSERT_EQ(FindClickType(unknown), nullptr);
        StartWithStoredType(unknown);

        ExpectOnlyRadioChecked(longPress.radio);
        EXPECT_FALSE(driver->State("cbx_Time")->enabled);
        EXPECT_EQ(Text("txt_mousetype"), kLayoutCaption);

        EXPECT_EQ(RunClick(), (Flags{msg::kMouseEventAbsolute, left.click.first, left.click.second}));
        EXPECT_EQ(desktop.LastRequestedPeriod(), 100u) << "paced by the interval, unlike a long-press";
        EXPECT_EQ(TrialClick(), (Flags{msg::kMouseEventAbsolute, left.trial.first, left.trial.second}));

        EXPECT_EQ(main->Settings().clickType, unknown) << "showing a radio does not change the stored value";
        Restart();
        EXPECT_EQ(StoredClickType(), unknown);
    }
    EXPECT_TRUE(log.empty()) << log.front();
}

}  // namespace
}  // namespace zintra::test
