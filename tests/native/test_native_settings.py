"""The native zintra's settings window with real X input: a fixed position
picked by dragging the crosshair (the drag image follows the pointer) or with
Ctrl+Q, the click limit typed into its field, and the count test."""

import struct
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeProgram, NativeTestCase, X11ClickTarget, read_store, wait_for  # noqa: E402

WINDOW = "SettingWindow"
POS_X, POS_Y, LIMIT_COUNT = 28, 32, 36


class NativeSettingsWindow(NativeTestCase):
    def setUp(self):
        self.desktop.store_path.unlink(missing_ok=True)

    def open_settings(self, program):
        program.click("mainWindow", "btn_Sett")
        return program.window(WINDOW)

    def confirm(self, program):
        program.click(WINDOW, "btn_sure")
        wait_for(lambda: not program.window_visible(WINDOW), 10, what="the settings window to close")
        time.sleep(0.5)

    def tick(self, program, box, checked=True):
        program.click(WINDOW, box)
        return program.control(WINDOW, box, where=lambda c: c.checked == checked)

    def stored_record(self):
        stored = read_store(self.desktop.store_path) or {}
        self.assertIn("mousedata", stored, "confirming writes MouseData")
        kind, data = stored["mousedata"]
        self.assertEqual((kind, len(data)), (3, 424))
        return data

    def clicks_at(self, target, pointer, seconds=1.2):
        before = len(target.events())
        self.desktop.move_pointer(*pointer)
        target.focus()
        self.desktop.xdotool("key", "F8")
        time.sleep(seconds)
        self.desktop.xdotool("key", "F8")
        time.sleep(0.5)
        return [e for e in target.events()[before:] if e[1] == "LD"]

    def test_a_dragged_crosshair_fixes_where_the_clicks_land(self):
        target = X11ClickTarget(self.desktop, rect=(0, 0, 320, 320))
        program = NativeProgram(self.desktop, "settings-drag")
        self.open_settings(program)
        self.tick(program, "useFixedPos")
        program.control(WINDOW, "edt_posX", where=lambda c: c.enabled)
        picked = (110, 140)
        cross = program.control(WINDOW, "btn_circle", where=lambda c: c.visible)
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
        shot = self.desktop.screenshot("native-crosshair-drag.png")  # the drag image under the pointer
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
        downs = self.clicks_at(target, (260, 260))
        self.assertGreaterEqual(len(downs), 4, target.events())
        self.assertTrue(all((x, y) == picked for _, _, x, y in downs), downs)

    def test_ctrl_q_picks_the_pointer_position(self):
        program = NativeProgram(self.desktop, "settings-ctrlq")
        self.open_settings(program)
        self.tick(program, "useFixedPos")
        self.tick(program, "chk_ctrlq")
        self.desktop.move_pointer(210, 230)
        time.sleep(0.3)
        self.desktop.xdotool("key", "ctrl+q")
        program.control(WINDOW, "edt_posX", timeout=5, where=lambda c: c.text == "210")
        program.control(WINDOW, "edt_posY", timeout=5, where=lambda c: c.text == "230")
        # Frozen: moving on changes nothing.
        self.desktop.move_pointer(300, 330)
        time.sleep(0.5)
        self.assertEqual(program.control(WINDOW, "edt_posX").text, "210")
        self.confirm(program)
        self.assertEqual(struct.unpack_from("<ii", self.stored_record(), POS_X), (210, 230))

    def test_click_limit_and_the_count_test(self):
        target = X11ClickTarget(self.desktop, rect=(0, 0, 320, 320))
        program = NativeProgram(self.desktop, "settings-limit")
        self.open_settings(program)
        self.tick(program, "useLimitCount")
        edit = program.control(WINDOW, "edt_LimitCount", where=lambda c: c.enabled)
        program.click_at(*edit.centre)
        for key in ("End", "BackSpace", "BackSpace", "BackSpace"):
            self.desktop.xdotool("key", key)
        program.type_text("5")
        program.control(WINDOW, "edt_LimitCount", where=lambda c: c.text == "5")
        program.control(WINDOW, "txt_testHotkey", where=lambda c: c.text == "2、按下F8后，自动点击设定数5次后停止")
        self.confirm(program)
        record = self.stored_record()
        self.assertEqual(record[2], 1, "useLimitCount is stored")
        self.assertEqual(struct.unpack_from("<i", record, LIMIT_COUNT)[0], 5)

        self.desktop.move_pointer(*target.centre())
        target.focus()
        self.desktop.xdotool("key", "F8")
        time.sleep(2.0)
        self.assertEqual([kind for _, kind, _, _ in target.events()], ["LD", "LU"] * 5)

        # The count test: with the settings window open the hotkey is its own.
        self.open_settings(program)
        program.control(WINDOW, "edt_LimitCount", where=lambda c: c.text == "5" and c.enabled)
        self.assertEqual(program.control(WINDOW, "txt_testCount").text, "当前已经点击0次")
        label = program.control(WINDOW, "txt_testHotkey", where=lambda c: c.visible)
        self.desktop.move_pointer(*label.centre)
        self.desktop.xdotool("key", "F8")
        time.sleep(1.0)
        self.assertEqual(program.control(WINDOW, "txt_testCount").text, "当前已经点击0次", "not over the test button")
        button = program.control(WINDOW, "btn_test", where=lambda c: c.visible)
        self.desktop.move_pointer(*button.centre)
        self.desktop.xdotool("key", "F8")
        program.control(WINDOW, "txt_testCount", timeout=5, where=lambda c: c.text == "当前已经点击5次")
        time.sleep(1.0)
        self.assertEqual(program.control(WINDOW, "txt_testCount").text, "当前已经点击5次")
        self.assertEqual(len(target.downs()), 5, "the count test clicks the button, not the target")


if __name__ == "__main__":
    unittest.main(verbosity=2)
