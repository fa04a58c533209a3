"""The settings window under Wine and natively, used with the mouse and keys:
opened with the main window's settings button, its three pages shown by their
tabs and photographed, a fixed position picked by dragging the crosshair and
clicked there, a click limit typed in and kept to, and the count test driven
by the start/stop hotkey while the window is open."""

import struct
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.desktop import wait_for  # noqa: E402
from harness.screen import pixels  # noqa: E402
from harness.settings_window import LIMIT_COUNT, POS_X, TAB_HEIGHT, TAB_WIDTH, WINDOW, SettingsWindowSteps  # noqa: E402
from harness.system import adapter  # noqa: E402

SYSTEM = adapter()
SELECTED_TAB = (0x01, 0x5C, 0x5D)
TAB_STRIP = (0x33, 0xAE, 0xAE)


class SettingsWindow(SettingsWindowSteps, SYSTEM.TestCase):
    def setUp(self):
        self.desktop.clear_settings()

    # ---- helpers ----

    def focus_settings(self, program):
        """Clicks a blank spot of the bottom strip, so that the settings window
        holds the keyboard focus (Wine hands hotkeys to the focused program)."""
        frame = program.window(WINDOW)
        program.click_at(frame.left + 40, frame.bottom - 25)

    # ---- tests ----

    def test_opens_at_its_size_and_shows_three_pages(self):
        program = SYSTEM.Program(self.desktop, "settings-pages")
        frame = self.open_settings(program)
        self.assertEqual(frame.size, (500, 560))
        tabs = program.control(WINDOW, "tab_main")
        # Inside the 1-pixel border, below the 30-pixel caption.
        self.assertEqual((tabs.left, tabs.top), (frame.left + 1, frame.top + 1 + 30))
        self.assertGreaterEqual(tabs.right - tabs.left, 3 * TAB_WIDTH)

        # What each page shows, and the control that must be hidden there.
        pages = [("useRandomTime", "chk_HideMain"), ("chk_setAutoRun", "btn_test"), (None, "useFixedPos")]
        shots = []
        for page, (shown, hidden) in enumerate(pages):
            self.show_page(program, page)
            if shown is not None:
                program.control(WINDOW, shown, where=lambda c: c.visible)
            program.control(WINDOW, hidden, where=lambda c: not c.visible)
            # btn_default means nothing on the about page.
            program.control(WINDOW, "btn_default", where=lambda c: c.visible == (page != 2))
            shots.append(program.photograph(WINDOW, f"{SYSTEM.PICTURE_PREFIX}settings-page-{page}.png"))

        pictures = []
        for page, shot in enumerate(shots):
            width, height, pixel = pixels(shot)
            self.assertEqual((width, height), (500, 560))
            # The clicked tab is the dark one of the strip, the others keep the strip's teal.
            strip = [pixel(1 + tab * TAB_WIDTH + 8, 31 + TAB_HEIGHT // 2) for tab in range(3)]
            self.assertEqual(strip, [SELECTED_TAB if tab == page else TAB_STRIP for tab in range(3)], page)
            pictures.append([pixel(x, y) for y in range(31, 500, 7) for x in range(0, 500, 7)])
        # The tab strip marks another tab each time and the page below it changes.
        self.assertEqual(len({tuple(p) for p in pictures}), 3, "each page looks different")

        # Back to the first page: the defaults button shows again.
        self.show_page(program, 0)
        program.control(WINDOW, "useRandomTime", where=lambda c: c.visible)
        program.control(WINDOW, "btn_default", where=lambda c: c.visible)
        program.click(WINDOW, "btn_close")
        wait_for(lambda: not program.window_visible(WINDOW), 10, what="the settings window to close")

    def test_a_dragged_crosshair_fixes_where_the_clicks_land(self):
        target = SYSTEM.ClickTarget(self.desktop, rect=(0, 0, 320, 320))
        program = SYSTEM.Program(self.desktop, "settings-drag")
        self.open_settings(program)
        self.tick(program, "useFixedPos")
        program.control(WINDOW, "edt_posX", where=lambda c: c.enabled)

        # Drag the crosshair onto the click target in a few steps.
        picked = (110, 140)
        cross = program.control(WINDOW, "btn_circle", where=lambda c: c.visible)
        self.assertEqual(cross.size, (20, 20))
        start = cross.centre
        self.desktop.move_pointer(*start)
        time.sleep(0.2)
        self.desktop.xdotool("mousedown", "1")
        time.sleep(0.2)
        steps = 6
        for step in range(1, steps + 1):
            self.desktop.move_pointer(start[0] + (picked[0] - start[0]) * step // steps,
                                      start[1] + (picked[1] - start[1]) * step // steps)
            time.sleep(0.1)
        time.sleep(0.3)
        shot = self.desktop.screenshot(f"{SYSTEM.PICTURE_PREFIX}crosshair-drag.png")  # the drag image
        self.assertTrue(shot.exists())
        self.desktop.xdotool("mouseup", "1")
        time.sleep(0.3)
        program.control(WINDOW, "edt_posX", where=lambda c: c.text == str(picked[0]))
        program.control(WINDOW, "edt_posY", where=lambda c: c.text == str(picked[1]))
        self.assertEqual(target.events(), [], "the drop is not a click on the window below")
        self.confirm(program)
        record = self.stored_record()
        self.assertEqual(record[1], 1, "useFixedPos is stored")
        self.assertEqual(struct.unpack_from("<ii", record, POS_X), picked)

        # F8 with the pointer elsewhere on the target: the clicks land at the picked point.
        self.desktop.move_pointer(260, 260)
        downs = [e for e in target.clicks_between("F8", 1.2) if e[1] == "LD"]
        self.assertGreaterEqual(len(downs), 4, target.events())
        slack = SYSTEM.POSITION_SLACK
        for _, _, x, y in downs:
            self.assertLessEqual(abs(x - picked[0]), slack, downs)
            self.assertLessEqual(abs(y - picked[1]), slack, downs)

    def test_click_limit_and_the_count_test(self):
        target = SYSTEM.ClickTarget(self.desktop, rect=(0, 0, 320, 320))
        program = SYSTEM.Program(self.desktop, "settings-limit")
        self.open_settings(program)
        self.tick(program, "useLimitCount")
        edit = program.control(WINDOW, "edt_LimitCount", where=lambda c: c.enabled)
        program.click_at(*edit.centre)
        for key in ("End", "BackSpace", "BackSpace", "BackSpace"):
            self.desktop.xdotool("key", key)
        program.type_text("5")
        program.control(WINDOW, "edt_LimitCount", where=lambda c: c.text == "5")
        # The hint follows the field as it is typed.
        program.control(WINDOW, "txt_testHotkey", where=lambda c: c.text == "2、按下F8后，自动点击设定数5次后停止")
        self.confirm(program)
        record = self.stored_record()
        self.assertEqual(record[2], 1, "useLimitCount is stored")
        self.assertEqual(struct.unpack_from("<i", record, LIMIT_COUNT)[0], 5)

        # One F8 on the target: exactly five clicks, then the run ends by itself.
        self.desktop.move_pointer(*target.centre())
        target.press("F8")
        time.sleep(2.0)
        self.assertEqual([kind for _, kind, _, _ in target.events()], ["LD", "LU"] * 5)

        # The count test: with the settings window open the hotkey is its own.
        self.open_settings(program)
        program.control(WINDOW, "edt_LimitCount", where=lambda c: c.text == "5" and c.enabled)
        self.assertEqual(program.control(WINDOW, "txt_testCount").text, "当前已经点击0次")
        # Not over the test button: the key is ignored.
        self.focus_settings(program)
        label = program.control(WINDOW, "txt_testHotkey", where=lambda c: c.visible)
        self.desktop.move_pointer(*label.centre)
        self.desktop.xdotool("key", "F8")
        time.sleep(1.0)
        self.assertEqual(program.control(WINDOW, "txt_testCount").text, "当前已经点击0次", "not over the test button")
        # Over the test button: five clicks counted, and no more.
        button = program.control(WINDOW, "btn_test", where=lambda c: c.visible)
        self.desktop.move_pointer(*button.centre)
        self.desktop.xdotool("key", "F8")
        program.control(WINDOW, "txt_testCount", timeout=5, where=lambda c: c.text == "当前已经点击5次")
        time.sleep(1.0)
        self.assertEqual(program.control(WINDOW, "txt_testCount").text, "当前已经点击5次")
        self.assertEqual(len(target.downs()), 5, "the count test clicks where the pointer is, not on the target")
        program.click(WINDOW, "btn_close")
        wait_for(lambda: not program.window_visible(WINDOW), 10, what="the settings window to close")


if __name__ == "__main__":
    unittest.main(verbosity=2)
