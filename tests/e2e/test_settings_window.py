"""The settings window of the real zintra.exe under Wine, used with the mouse
and keys: opened with the main window's settings button, its three pages
photographed, a fixed position picked by dragging the crosshair onto a click
target and clicked there, a click limit typed in and kept to, the count test
driven by the start/stop hotkey while the window is open, and start with the
system added to and removed from the Run key."""

import os
import struct
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gallery_harness import pixels  # noqa: E402
from program_harness import Program  # noqa: E402
from wine_harness import PROGRAM_KEY, ClickTarget, WineTestCase, wait_for  # noqa: E402

WINDOW = "SettingWindow"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "ZintraMouseAuto"
# The tab strip lies along the top of tab_main: 28 pixels high, 100-pixel tabs
# side by side from its left edge (tabHeight and tabWidth of the layout).
TAB_HEIGHT = 28
TAB_WIDTH = 100
SELECTED_TAB = (0x01, 0x5C, 0x5D)
TAB_STRIP = (0x33, 0xAE, 0xAE)
# Offsets of fields in the stored MouseData record.
POS_X, POS_Y, LIMIT_COUNT = 28, 32, 36


class SettingsWindow(WineTestCase):
    def setUp(self):
        self.desktop.delete_mouse_data()
        self.desktop.reg("delete", RUN_KEY, "/v", RUN_VALUE, "/f")

    def tearDown(self):
        # A test that failed half-way leaves no Run entry in the shared prefix.
        self.desktop.reg("delete", RUN_KEY, "/v", RUN_VALUE, "/f")
        self.desktop.stop_wine()

    # ---- helpers ----

    def open_settings(self, program):
        program.click("mainWindow", "btn_Sett")
        return program.window(WINDOW)

    def confirm(self, program):
        program.click(WINDOW, "btn_sure")
        wait_for(lambda: not program.window_visible(WINDOW), 10, what="the settings window to close")
        time.sleep(0.5)  # the main window registers its hotkey again

    def show_page(self, program, page):
        tabs = program.control(WINDOW, "tab_main")
        program.click_at(tabs.left + page * TAB_WIDTH + TAB_WIDTH // 2, tabs.top + TAB_HEIGHT // 2)
        time.sleep(0.8)  # the page slides in

    def tick(self, program, box, checked=True):
        program.click(WINDOW, box)
        return program.control(WINDOW, box, where=lambda c: c.checked == checked)

    def stored_record(self):
        value = self.desktop.query_value(PROGRAM_KEY, "MouseData")
        self.assertIsNotNone(value, "confirming writes MouseData")
        self.assertEqual(value[0], "REG_BINARY")
        data = bytes.fromhex(value[1])
        self.assertEqual(len(data), 424)
        return data

    def focus_settings(self, program):
        """Clicks a blank spot of the bottom strip, so that the settings window
        holds the keyboard focus (Wine hands hotkeys to the focused program)."""
        frame = program.window(WINDOW)
        program.click_at(frame.left + 40, frame.bottom - 25)

    # ---- tests ----

    def test_opens_at_its_size_and_shows_three_pages(self):
        program = Program(self.desktop, "settings-pages")
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
            shots.append(program.photograph(WINDOW, f"settings-page-{page}.png"))

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

    def test_dragged_crosshair_fixes_where_the_clicks_land(self):
        target = ClickTarget(self.desktop, rect=(0, 0, 320, 320))
        program = Program(self.desktop, "settings-drag")
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
            x = start[0] + (picked[0] - start[0]) * step // steps
            y = start[1] + (picked[1] - start[1]) * step // steps
            self.desktop.move_pointer(x, y)
            time.sleep(0.1)
        time.sleep(0.2)
        self.desktop.xdotool("mouseup", "1")
        time.sleep(0.3)
        program.control(WINDOW, "edt_posX", where=lambda c: c.text == str(picked[0]))
        program.control(WINDOW, "edt_posY", where=lambda c: c.text == str(picked[1]))
        self.confirm(program)
        record = self.stored_record()
        self.assertEqual(record[1], 1, "useFixedPos is stored")
        self.assertEqual((struct.unpack_from("<i", record, POS_X)[0], struct.unpack_from("<i", record, POS_Y)[0]),
                         picked)

        # F8 with the pointer elsewhere on the target: the clicks land at the picked point.
        before = len(target.events())
        elsewhere = (260, 260)
        self.desktop.move_pointer(*elsewhere)
        self.desktop.press_keys(target.window, "F8")
        time.sleep(1.2)
        self.desktop.press_keys(target.window, "F8")
        time.sleep(0.5)
        downs = [e for e in target.events()[before:] if e[1] == "LD"]
        self.assertGreaterEqual(len(downs), 4, target.events())
        for _, _, x, y in downs:
            self.assertLessEqual(abs(x - picked[0]), 1, downs)
            self.assertLessEqual(abs(y - picked[1]), 1, downs)

    def test_click_limit_and_the_count_test(self):
        target = ClickTarget(self.desktop, rect=(0, 0, 320, 320))
        program = Program(self.desktop, "settings-limit")
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
        self.desktop.press_keys(target.window, "F8")
        time.sleep(2.0)
        kinds = [kind for _, kind, _, _ in target.events()]
        self.assertEqual(kinds, ["LD", "LU"] * 5)

        # The count test: with the settings window open the hotkey is its own.
        self.open_settings(program)
        program.control(WINDOW, "edt_LimitCount", where=lambda c: c.text == "5" and c.enabled)
        count = program.control(WINDOW, "txt_testCount")
        self.assertEqual(count.text, "当前已经点击0次")
        # Not over the test button: the key is ignored.
        self.focus_settings(program)
        label = program.control(WINDOW, "txt_testHotkey", where=lambda c: c.visible)
        self.desktop.move_pointer(*label.centre)
        self.desktop.xdotool("key", "F8")
        time.sleep(1.0)
        self.assertEqual(program.control(WINDOW, "txt_testCount").text, "当前已经点击0次")
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

    def test_start_with_the_system_adds_and_removes_the_run_entry(self):
        program = Program(self.desktop, "settings-autorun")
        self.open_settings(program)
        self.show_page(program, 1)
        box = program.control(WINDOW, "chk_setAutoRun", where=lambda c: c.visible)
        self.assertFalse(box.checked)
        self.tick(program, "chk_setAutoRun")
        self.confirm(program)
        value = self.desktop.query_value(RUN_KEY, RUN_VALUE)
        self.assertIsNotNone(value, "the Run entry exists after confirming")
        kind, data = value
        self.assertEqual(kind, "REG_SZ")
        self.assertTrue(data.endswith('" -auto'), data)
        self.assertTrue(data.startswith('"'), data)
        self.assertEqual(data[1:-len('" -auto')].lower(), Program.wine_path(os.environ["ZINTRA_EXE"]).lower())

        # Reopened, the box shows the entry; unticked and confirmed, it is gone.
        self.open_settings(program)
        self.show_page(program, 1)
        program.control(WINDOW, "chk_setAutoRun", where=lambda c: c.visible and c.checked)
        self.tick(program, "chk_setAutoRun", checked=False)
        self.confirm(program)
        self.assertIsNone(self.desktop.query_value(RUN_KEY, RUN_VALUE))


if __name__ == "__main__":
    unittest.main(verbosity=2)
