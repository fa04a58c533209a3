// Picking the fixed position: dragging the crosshair and the Ctrl+Q capture
// fill the two position fields, and only confirmation takes them into the record.
#include "tests/unit/settings/SettingsFixture.h"

namespace zintra::test {
namespace {

constexpr std::uint32_t kQ = 0x51;

class PositionPicking : public SettingsWindow {
protected:
    PositionPicking() { settings.useFixedPos = 1; }

    platform::Point CrosshairCentre() const {
        const platform::Rect r = dialog->CrosshairRect();
        return {r.left + r.Width() / 2, r.top + r.Height() / 2};
    }
    platform::Point ToScreen(platform::Point client) const { return dialog->ClientToScreen(client); }
    std::pair<std::u16string, std::u16string> Fields(HeadlessDriver& driver) {
        return {Text(driver, "edt_posX"), Text(driver, "edt_posY")};
    }
    static std::pair<std::u16string, std::u16string> Shown(platform::Point p) {
        return {IntegerText(p.x), IntegerText(p.y)};
    }
};

// ---- Dragging the crosshair ----

TEST_F(PositionPicking, CrosshairRectangleIsTheControlsAndTheDragImageIsItsSize) {
    Open([&](HeadlessDriver& driver) {
        EXPECT_EQ(dialog->CrosshairRect(), driver.State("btn_circle")->rect);
        EXPECT_EQ(dialog->CrosshairRect().Width(), 20);
        ASSERT_TRUE(dialog->DragImage());
        EXPECT_EQ(dialog->DragImage()->width, 20);
        EXPECT_EQ(dialog->DragImage()->height, 20);
    });
}

TEST_F(PositionPicking, PressAndReleaseWithoutMovingChangesNothing) {
    Open([&](HeadlessDriver& driver) {
        const auto before = Fields(driver);
        driver.LeftButtonDown(CrosshairCentre());
        EXPECT_EQ(dialog->GetCapture(), dialog->GetRoot()) << "the window keeps the mouse while pressed";
        EXPECT_EQ(ui.backend.Capture(), dialog->GetHwnd());
        driver.LeftButtonUp(CrosshairCentre());
        EXPECT_EQ(ui.backend.Capture(), 0u);
        EXPECT_FALSE(ui.backend.Drag()) << "no drag image without a move";
        driver.MouseMove({CrosshairCentre().x + 40, CrosshairCentre().y + 40});
        EXPECT_EQ(Fields(driver), before) << "a plain move afterwards starts nothing";
        EXPECT_FALSE(ui.backend.Drag());
    });
}

TEST_F(PositionPicking, OneMoveShowsThePressPositionAndFurtherMovesFollowTheCursor) {
    Open([&](HeadlessDriver& driver) {
        const platform::Point press = CrosshairCentre();
        driver.LeftButtonDown(press);
        driver.MouseMove({press.x + 30, press.y + 50});
        EXPECT_EQ(Fields(driver), Shown(ToScreen(press)));
        const auto& drag = ui.backend.Drag();
        ASSERT_TRUE(drag);
        EXPECT_EQ(drag->hotSpot, (platform::Point{10, 10}));
        EXPECT_EQ(drag->colorKey, 0u);
        EXPECT_EQ(drag->alpha, 255);
        EXPECT_EQ(drag->flags, 3u);
        EXPECT_FALSE(drag->topLeft) << "the first move does not place the picture yet";

        const platform::Point second{press.x + 200, press.y - 60};
        driver.MouseMove(second);
        EXPECT_EQ(Fields(driver), Shown(ToScreen(second)));
        ASSERT_TRUE(ui.backend.Drag()->topLeft);
        EXPECT_EQ(*ui.backend.Drag()->topLeft, (platform::Point{ToScreen(second).x - 10, ToScreen(second).y - 10}));

        driver.LeftButtonUp({press.x + 400, press.y + 400});
        EXPECT_EQ(Fields(driver), Shown(ToScreen(second))) << "the release position is not used";
        EXPECT_FALSE(ui.backend.Drag());
        EXPECT_EQ(ui.backend.Capture(), 0u);
    });
}

TEST_F(PositionPicking, DragLeftOfThePrimaryMonitorGivesANegativeX) {
    Open([&](HeadlessDriver& driver) {
        const platform::Point press = CrosshairCentre();
        const int corner = dialog->GetWindowRect().left;
        const platform::Point target{-corner - 300, press.y};  // 300 pixels left of the primary screen
        driver.LeftButtonDown(press);
        driver.MouseMove(target);
        driver.MouseMove(target);
        driver.LeftButtonUp(target);
        EXPECT_EQ(Text(driver, "edt_posX"), u"-300");
        ASSERT_TRUE(driver.Click("btn_sure"));
    });
    EXPECT_EQ(settings.posX, -300);
}

TEST_F(PositionPicking, CrosshairDoesNothingWhileUseFixedPosIsClear) {
    settings.useFixedPos = 0;
    Open([&](HeadlessDriver& driver) {
        const auto before = Fields(driver);
        driver.LeftButtonDown(CrosshairCentre());
        // The pressed control holds the toolkit's usual capture; the drag's is the root's.
        EXPECT_NE(dialog->GetCapture(), dialog->GetRoot());
        EXPECT_FALSE(dialog->DragPressed());
        driver.MouseMove({10, 10});
        driver.MouseMove({20, 20});
        driver.LeftButtonUp({20, 20});
        EXPECT_EQ(Fields(driver), before);
        EXPECT_FALSE(ui.backend.Drag());
    });
}

TEST_F(PositionPicking, SwitchingToAnotherApplicationEndsTheDrag) {
    Open([&](HeadlessDriver& driver) {
        const platform::Point press = CrosshairCentre();
        const platform::Point last{press.x + 70, press.y + 5};
        driver.LeftButtonDown(press);
        driver.MouseMove({press.x + 1, press.y});
        driver.MouseMove(last);
        ui.desktop.SendMessage(dialog->GetHwnd(), msg::kActivateApp, 0, 0);
        EXPECT_FALSE(ui.backend.Drag());
        EXPECT_EQ(ui.backend.Capture(), 0u);
        EXPECT_FALSE(dialog->DragPressed());
        driver.MouseMove({press.x + 300, press.y + 300});
        EXPECT_EQ(Fields(driver), Shown(ToScreen(last))) << "the fields keep the last dragged position";
    });
}

TEST_F(PositionPicking, PickedPositionIsDiscardedWhenTheWindowIsClosed) {
    settings.posX = 5;
    settings.posY = 6;
    Open([&](HeadlessDriver& driver) {
        driver.LeftButtonDown(CrosshairCentre());
        driver.MouseMove({0, 0});
        driver.MouseMove({1, 1});
        driver.LeftButtonUp({1, 1});
        EXPECT_NE(Text(driver, "edt_posX"), u"5");
        ASSERT_TRUE(driver.Click("btn_close"));
    });
    EXPECT_EQ(settings.posX, 5);
    EXPECT_EQ(settings.posY, 6);
}

TEST_F(PositionPicking, ClosingDuringADragTakesThePictureAway) {
    Open([&](HeadlessDriver& driver) {
        driver.LeftButtonDown(CrosshairCentre());
        driver.MouseMove({0, 0});
        ASSERT_TRUE(ui.backend.Drag());
        ui.desktop.SendMessage(dialog->GetHwnd(), msg::kClose, 0, 0);
    });
    EXPECT_FALSE(ui.backend.Drag());
    EXPECT_FALSE(ui::CDragWnd::IsDragging()) << "the next window can drag again";
}

// ---- Ctrl+Q capture ----

TEST_F(PositionPicking, CtrlQFreezesTheLastSampleAndUnticksTheBox) {
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("chk_ctrlq"));
        EXPECT_TRUE(dialog->CtrlQCaptureArmed());
        EXPECT_EQ(ui.desktop.TimerPeriod(dialog->GetHwnd(), kTrackCursorTimerId), 50u);
        ui.desktop.MoveCursor({300, 400});
        ui.desktop.AdvanceBy(50);
        EXPECT_EQ(Fields(driver), Shown({300, 400}));
        ui.desktop.MoveCursor({-1200, 15});
        ui.desktop.AdvanceBy(50);
        EXPECT_EQ(Fields(driver), Shown({-1200, 15}));

        ui.desktop.MoveCursor({900, 10});
        ui.desktop.AdvanceBy(30);
        ASSERT_TRUE(ui.desktop.PressHotKey(msg::kModControl, kQ));
        EXPECT_EQ(Fields(driver), Shown({-1200, 15})) << "no new sample at the key press";
        EXPECT_FALSE(Checked(driver, "chk_ctrlq"));
        EXPECT_FALSE(dialog->CtrlQCaptureArmed());
        EXPECT_FALSE(ui.desktop.HotkeyFor(dialog->GetHwnd(), kCaptureHotkeyId));
        EXPECT_FALSE(ui.desktop.TimerPeriod(dialog->GetHwnd(), kTrackCursorTimerId));
        ui.desktop.AdvanceBy(500);
        EXPECT_EQ(Fields(driver), Shown({-1200, 15}));
        ASSERT_TRUE(driver.Click("btn_sure"));
    });
    EXPECT_EQ(settings.posX, -1200);
    EXPECT_EQ(settings.posY, 15);
}

TEST_F(PositionPicking, WhereThePositionCannotBeKnownCtrlQSaysSoAndKeepsTheStoredPoint) {
    settings.posX = 12;
    settings.posY = -7;
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("chk_ctrlq"));
        ui.desktop.MoveCursor({300, 400});
        ui.desktop.AdvanceBy(50);
        EXPECT_EQ(Fields(driver), Shown({300, 400}));
        EXPECT_EQ(Text(driver, "txt_posUnknown"), u"");

        // Over another display server's window: the last point seen is stale.
        ui.desktop.SetCursorKnown(false);
        ui.desktop.AdvanceBy(50);
        EXPECT_EQ(Fields(driver), Shown({12, -7})) << "back to the stored point, never the stale one";
        EXPECT_EQ(Text(driver, "txt_posUnknown"), kPositionUnknownText);
        ui.desktop.SetCursorKnown(true);
        ui.desktop.MoveCursor({40, 50});
        ui.desktop.AdvanceBy(50);
        EXPECT_EQ(Fields(driver), Shown({40, 50}));
        EXPECT_EQ(Text(driver, "txt_posUnknown"), u"");

        ui.desktop.SetCursorKnown(false);
        ui.desktop.AdvanceBy(50);
        ASSERT_TRUE(ui.desktop.PressHotKey(msg::kModControl, kQ));
        EXPECT_FALSE(Checked(driver, "chk_ctrlq"));
        EXPECT_EQ(Text(driver, "txt_posUnknown"), kPositionUnknownText) << "still says why nothing was picked";
        ASSERT_TRUE(driver.Click("btn_sure"));
    });
    EXPECT_EQ(settings.posX, 12);
    EXPECT_EQ(settings.posY, -7);
}

TEST_F(PositionPicking, UntickingTheCaptureBoxStopsFollowingTheCursor) {
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("chk_ctrlq"));
        ui.desktop.MoveCursor({11, 22});
        ui.desktop.AdvanceBy(50);
        ASSERT_TRUE(driver.Click("chk_ctrlq"));
        EXPECT_FALSE(ui.desktop.HotkeyFor(dialog->GetHwnd(), kCaptureHotkeyId));
        ui.desktop.MoveCursor({33, 44});
        ui.desktop.AdvanceBy(200);
        EXPECT_EQ(Fields(driver), Shown({11, 22}));
    });
}

TEST_F(PositionPicking, SampleAlreadyQueuedWhenCtrlQWasPressedDoesNotMoveTheFields) {
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("chk_ctrlq"));
        ui.desktop.MoveCursor({11, 22});
        ui.desktop.AdvanceBy(50);
        ASSERT_TRUE(ui.desktop.PressHotKey(msg::kModControl, kQ));
        ui.desktop.MoveCursor({33, 44});
        ui.desktop.PostMessage(dialog->GetHwnd(), msg::kTimer, kTrackCursorTimerId, 0);
        ui.desktop.DispatchPosted();
        EXPECT_EQ(Fields(driver), Shown({11, 22}));
    });
}

TEST_F(PositionPicking, DisablingTheGroupLeavesARunningCaptureArmed) {
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("chk_ctrlq"));
        ASSERT_TRUE(driver.Click("useFixedPos"));
        EXPECT_FALSE(Enabled(driver, "chk_ctrlq"));
        EXPECT_TRUE(Checked(driver, "chk_ctrlq"));
        ui.desktop.MoveCursor({77, 88});
        ui.desktop.AdvanceBy(50);
        EXPECT_EQ(Fields(driver), Shown({77, 88})) << "the disabled fields still follow the cursor";
        ASSERT_TRUE(ui.desktop.PressHotKey(msg::kModControl, kQ));
        EXPECT_FALSE(Checked(driver, "chk_ctrlq"));
    });
}

}  // namespace
}  // namespace zintra::test
