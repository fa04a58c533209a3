// Every window works without a mouse: Tab in reading order, Space and Enter
// press, arrows within radios and lists, Alt+Down and F4 open a list, Esc
// closes a dialog, and the focus is drawn once the keyboard is in use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/Messages.h"
#include "sim/headless/WindowSnapshot.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/controls/SComboBox.h"
#include "ui/controls/STabCtrl.h"
#include "ui/core/KeyboardNavigation.h"
#include "sim/headless/BlockTextRasterizer.h"
#include "ui/core/ApplicationImages.h"
#include "ui/core/HostRenderer.h"
#include "ui/render/RecordingSurface.h"

namespace zintra::ui::test {
namespace {

constexpr std::uint32_t kVkSpace = 0x20;
constexpr std::uint32_t kVkF4 = 0x73;

class Keyboard : public ::testing::Test {
protected:
    void Open(const char* layout) {
        host = std::make_unique<RecordingHost>(layout);
        ASSERT_NE(host->Create(), 0u);
        host->ShowWindow(msg::kSwShowNormal);
        driver = std::make_unique<HeadlessDriver>(*host, ui.backend);
    }
    std::string Focused() const { return host->GetFocus() != nullptr ? host->GetFocus()->GetName() : ""; }
    std::vector<std::string> TabStops(int count) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            driver->PressKey(msg::kVkTab);
            names.push_back(Focused());
        }
        return names;
    }
    int CommandsFrom(const std::string& name) const {
        int count = 0;
        for (const auto& seen : host->events) count += seen.name == name && seen.id == EventCmd::kId;
        return count;
    }

    UiFixture ui;
    std::unique_ptr<RecordingHost> host;
    std::unique_ptr<HeadlessDriver> driver;
};

TEST_F(Keyboard, TabVisitsTheMainWindowInReadingOrderAndWraps) {
    Open("LAYOUT:XML_MAINWND");
    const auto order = ControlsInReadingOrder(*host);
    std::vector<std::string> names;
    for (const SWindow* control : order) names.push_back(control->GetName());
    // The caption's buttons left to right, the checked radio of the group,
    // the two lists, the footer links.
    const std::vector<std::string> expected{"btn_Sett", "btn_min",    "btn_close", "type_left",
                                            "cbx_Time", "cbx_hotkey", "logo_url",  "url"};
    EXPECT_EQ(names, expected);
    auto wrapped = expected;
    wrapped.push_back("btn_Sett");
    EXPECT_EQ(TabStops(9), wrapped);
    EXPECT_EQ(NextInReadingOrder(*host, host->FindChildByName("type_left"), false), host->FindChildByName("btn_close"));
    EXPECT_EQ(NextInReadingOrder(*host, nullptr, false), host->FindChildByName("url"));
}

TEST_F(Keyboard, TabSkipsDisabledAndHiddenControls) {
    Open("LAYOUT:XML_SETTING");
    const auto stops = TabStops(8);
    EXPECT_EQ(std::count(stops.begin(), stops.end(), "edt_time"), 0) << "disabled until its box is ticked";
    EXPECT_EQ(std::count(stops.begin(), stops.end(), "chk_setAutoRun"), 0) << "on a page not shown";
    EXPECT_EQ(std::count(stops.begin(), stops.end(), "tab_main"), 0) << "the tabs are not focusable";
    host->FindChildByName("useRandomTime")->SetFocus();
    driver->PressKey(kVkSpace);
    EXPECT_TRUE(host->FindChildByName("useRandomTime")->IsChecked());
    host->FindChildByName("edt_time")->SetAttribute("enable", "1");  // what the settings window does
    driver->PressKey(msg::kVkTab);
    EXPECT_EQ(Focused(), "edt_time");
}

TEST_F(Keyboard, SpaceAndEnterPressWhatAClickWouldPress) {
    Open("LAYOUT:XML_SETTING");
    host->FindChildByName("useFixedPos")->SetFocus();
    driver->PressKey(kVkSpace);
    EXPECT_TRUE(host->FindChildByName("useFixedPos")->IsChecked());
    EXPECT_EQ(CommandsFrom("useFixedPos"), 1);
    driver->PressKey(kVkSpace);
    EXPECT_FALSE(host->FindChildByName("useFixedPos")->IsChecked());
    host->FindChildByName("btn_default")->SetFocus();
    driver->PressKey(msg::kVkReturn);
    EXPECT_EQ(CommandsFrom("btn_default"), 1);
    EXPECT_EQ(CommandsFrom("btn_sure"), 0) << "Enter on a button presses that button";
}

TEST_F(Keyboard, EnterPressesTheDefaultButtonAndEscClosesTheDialog) {
    Open("LAYOUT:XML_CUSTOMTIME");
    driver->PressKey(msg::kVkTab);
    ASSERT_EQ(Focused(), "edt_customtime");
    driver->TypeText(u"0.5");
    driver->PressKey(msg::kVkReturn);
    EXPECT_EQ(CommandsFrom("btn_sure"), 1);
    EXPECT_EQ(host->FindChildByName("edt_customtime")->GetWindowText(), u"0.5");
    EXPECT_FALSE(host->IsEnded());
    driver->PressKey(msg::kVkEscape);
    EXPECT_TRUE(host->IsEnded());
    EXPECT_EQ(host->GetResult(), 0);
    EXPECT_NE(std::find(host->messages.begin(), host->messages.end(), msg::kClose), host->messages.end())
        << "Esc is a close request the window class sees";
}

TEST_F(Keyboard, EscDoesNotCloseAMainWindow) {
    // A plain host (not a dialog): Esc is left alone.
    class Plain : public SHostWnd {
    public:
        using SHostWnd::SHostWnd;
    } plain("LAYOUT:XML_MAINWND");
    ASSERT_NE(plain.Create(), 0u);
    HeadlessDriver keys(plain, ui.backend);
    keys.PressKey(msg::kVkTab);
    keys.PressKey(msg::kVkEscape);
    EXPECT_NE(plain.GetHwnd(), 0u);
    EXPECT_NE(plain.GetRoot(), nullptr);
}

TEST_F(Keyboard, ArrowsMoveWithinTheRadioGroupAndWrap) {
    Open("LAYOUT:XML_MAINWND");
    host->FindChildByName("type_left")->SetFocus();
    driver->PressKey(msg::kVkDown);
    EXPECT_EQ(Focused(), "type_right");
    EXPECT_TRUE(host->FindChildByName("type_right")->IsChecked());
    EXPECT_FALSE(host->FindChildByName("type_left")->IsChecked());
    // The window hears a press, as from the mouse.
    EXPECT_EQ(host->events.front().name, "type_right");
    EXPECT_EQ(host->events.front().id, EventLButtonDown::kId);
    driver->PressKey(msg::kVkRight);
    EXPECT_EQ(Focused(), "type_leftdown");
    driver->PressKey(msg::kVkDown);
    EXPECT_EQ(Focused(), "type_left");
    driver->PressKey(msg::kVkUp);
    EXPECT_EQ(Focused(), "type_leftdown");
    EXPECT_TRUE(host->FindChildByName("type_leftdown")->IsChecked());
}

TEST_F(Keyboard, ArrowsStepAClosedListAndAltDownOrF4OpensIt) {
    Open("LAYOUT:XML_MAINWND");
    auto* combo = host->FindChildByName2<SComboBox>("cbx_Time");
    combo->SetFocus();
    driver->PressKey(msg::kVkDown);
    EXPECT_EQ(combo->GetCurSel(), 4);
    driver->PressKey(msg::kVkUp);
    driver->PressKey(msg::kVkUp);
    EXPECT_EQ(combo->GetCurSel(), 2);
    combo->SetCurSel(0);
    driver->PressKey(msg::kVkUp);
    EXPECT_EQ(combo->GetCurSel(), 0) << "stops at the first entry";
    EXPECT_TRUE(ui.backend.DropDowns().empty());
    driver->KeyDown(msg::kVkMenu);
    driver->PressKey(msg::kVkDown);
    driver->KeyUp(msg::kVkMenu);
    EXPECT_EQ(ui.backend.DropDowns().size(), 1u);
    ui.backend.SetNextDropDownChoice(6);
    driver->PressKey(kVkF4);
    EXPECT_EQ(ui.backend.DropDowns().size(), 2u);
    EXPECT_EQ(combo->GetCurSel(), 6);
}

TEST_F(Keyboard, CtrlTabSwitchesTheSettingsPages) {
    Open("LAYOUT:XML_SETTING");
    auto* tabs = host->FindChildByName2<STabCtrl>("tab_main");
    driver->KeyDown(msg::kVkControl);
    driver->PressKey(msg::kVkTab);
    driver->KeyUp(msg::kVkControl);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    driver->PressKey(msg::kVkTab);
    driver->PressKey(msg::kVkTab);
    EXPECT_EQ(Focused(), "chk_CloseRightTip");
}

TEST_F(Keyboard, FocusIndicatorShowsOnlyAfterTheKeyboardIsUsed) {
    Open("LAYOUT:XML_MAINWND");
    driver->Click("type_right");
    ASSERT_EQ(Focused(), "type_right");
    EXPECT_FALSE(host->ShowsFocusCues()) << "a click alone changes nothing of the look";
    RecordingSurface before;
    host->Paint(before);
    driver->PressKey(msg::kVkTab);
    EXPECT_TRUE(host->ShowsFocusCues());
    RecordingSurface after;
    host->Paint(after);
    // Two rings around the focused control, drawn last.
    const platform::Rect rect = host->GetFocus()->GetWindowRect();
    const auto& commands = after.Commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands.size(), before.Commands().size() + 2);
    const auto& outer = commands[commands.size() - 2];
    EXPECT_EQ(outer.rect.left, rect.left - 2);
    EXPECT_EQ(outer.rect.bottom, rect.bottom + 2);
    EXPECT_EQ(commands.back().rect.top, rect.top - 1);
}

TEST_F(Keyboard, FocusRingIsWholePixelsOfTwoColoursAtEveryScale) {
    Open("LAYOUT:XML_MAINWND");
    ImageCache images{ApplicationImageLoader()};
    BlockTextRasterizer text;
    auto* combo = host->FindChildByName("cbx_Time");
    combo->SetFocus();
    host->SetShowsFocusCues(true);
    const platform::Rect rect = combo->GetWindowRect();
    const int column = rect.left + rect.Width() / 2;
    constexpr std::uint32_t kDark = 0xFF101010u;
    constexpr std::uint32_t kLight = 0xFFFFFFFFu;
    for (const double scale : {1.0, 1.25, 1.5, 2.0}) {
        PixelBuffer picture;
        RenderHost(*host, picture, images, text, scale);
        const auto device = [scale](int v) { return static_cast<int>(std::lround(v * scale)); };
        const int x = device(column);
        // From two units above the box down to its top: dark, then light, nothing in between.
        std::vector<std::uint32_t> above;
        for (int y = device(rect.top - 2); y < device(rect.top); ++y) above.push_back(picture.At(x, y));
        ASSERT_FALSE(above.empty()) << scale;
        EXPECT_EQ(above.front(), kDark) << scale;
        EXPECT_EQ(above.back(), kLight) << scale;
        const auto firstLight = std::find(above.begin(), above.end(), kLight);
        EXPECT_TRUE(std::all_of(above.begin(), firstLight, [&](std::uint32_t p) { return p == kDark; })) << scale;
        EXPECT_TRUE(std::all_of(firstLight, above.end(), [&](std::uint32_t p) { return p == kLight; })) << scale;
        if (scale == 2.0) {
            EXPECT_EQ(firstLight - above.begin(), 2) << "each ring two pixels wide at 200%";
        }
    }
}

}  // namespace
}  // namespace zintra::ui::test
