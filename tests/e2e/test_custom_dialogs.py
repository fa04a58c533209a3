"""The real zintra.exe's two custom dialogs under Wine, used with real keys:
a key combination pressed in the custom hotkey dialog becomes the start/stop
hotkey, also after a restart, and an interval typed into the custom interval
dialog sets the pace of the clicks."""

import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from program_harness import WM_CLOSE, Program  # noqa: E402
from wine_harness import ClickTarget, WineTestCase, summary, wait_for  # noqa: E402

HOTKEY_PROMPT = "请直接在键盘上输入新的热键"
INTERVAL_PROMPT = "请输入要设置的时间间隔"
CUSTOM_HOTKEY_ENTRY = 12
CUSTOM_INTERVAL_ENTRY = 9


class CustomDialogs(WineTestCase):
    def setUp(self):
        self.desktop.delete_mouse_data()

    # ---- helpers ----

    def x_window_at(self, x, y):
        """The X window under the point (the pointer is moved there)."""
        self.desktop.move_pointer(x, y)
        fields = dict(line.split("=", 1) for line in self.desktop.xdotool("getmouselocation", "--shell").split())
        return fields["WINDOW"]

    def open_dialog(self, program, combo, entry, control):
        """Chooses the list's custom entry and waits for the dialog holding `control`."""
        program.choose("mainWindow", combo, entry)
        program.control("customWindow", control, where=lambda c: c.visible)
        return program.window("customWindow")

    def dialog_gone(self, program):
        wait_for(lambda: not program.window_visible("customWindow"), 10, what="the dialog to close")

    def clicks_with(self, target, keys, seconds):
        """Presses `keys` over the target, waits, presses them again; the clicks that arrived."""
        before = len(target.downs())
        self.desktop.move_pointer(*target.centre())
        self.desktop.press_keys(target.window, keys)
        time.sleep(seconds)
        self.desktop.press_keys(target.window, keys)
        time.sleep(0.5)
        return target.downs()[before:]

    def assert_hotkey_toggles_clicks(self, target):
        downs = self.clicks_with(target, "ctrl+shift+a", 1.0)
        self.assertGreaterEqual(len(downs), 4, "Ctrl+Shift+A starts the clicks")
        settled = len(target.downs())
        time.sleep(0.6)
        self.assertEqual(len(target.downs()), settled, "Ctrl+Shift+A stops them again")

    # ---- tests ----

    def test_a_pressed_combination_becomes_the_hotkey_and_survives_a_restart(self):
        target = ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        program = Program(self.desktop, "custom-hotkey")
        dialog = self.open_dialog(program, "cbx_hotkey", CUSTOM_HOTKEY_ENTRY, "ctrl_hk1")
        self.assertEqual(dialog.size, (282, 162))
        self.assertEqual(program.control("customWindow", "txt_caption").text, HOTKEY_PROMPT)
        self.assertEqual(program.control("customWindow", "ctrl_hk1").text, "无", "the capture starts empty")

        # The dialog's window holds the X keyboard focus; its capture control has the program's.
        dialog_window = self.x_window_at(*program.control("customWindow", "ctrl_hk1").centre)
        self.desktop.xdotool("windowfocus", "--sync", dialog_window)
        self.desktop.xdotool("keydown", "ctrl", "keydown", "shift", "keydown", "a",
                             "keyup", "a", "keyup", "shift", "keyup", "ctrl")
        program.control("customWindow", "ctrl_hk1", timeout=5, where=lambda c: c.text == "Ctrl+Shift+A")
        program.photograph("customWindow", "custom-hotkey.png")

        program.click("customWindow", "btn_sure")
        self.dialog_gone(program)
        program.control("mainWindow", "txt_hotkey", timeout=5, where=lambda c: c.text == "Ctrl+Shift+A")

        self.assert_hotkey_toggles_clicks(target)
        downs = self.clicks_with(target, "F8", 1.0)
        self.assertEqual(downs, [], "F8 is no longer the hotkey")

        self.assertTrue(program.post(WM_CLOSE))
        self.assertEqual(program.exit_code(), 0)

        again = Program(self.desktop, "custom-hotkey-again")
        self.assertEqual(again.control("mainWindow", "txt_hotkey").text, "Ctrl+Shift+A")
        self.assertEqual(again.control("mainWindow", "cbx_hotkey").text, "", "a key with modifiers selects no entry")
        self.assert_hotkey_toggles_clicks(target)

    def test_a_typed_interval_sets_the_pace_of_the_clicks(self):
        target = ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        program = Program(self.desktop, "custom-interval")
        dialog = self.open_dialog(program, "cbx_Time", CUSTOM_INTERVAL_ENTRY, "edt_customtime")
        self.assertEqual(dialog.size, (282, 162))
        self.assertEqual(program.control("customWindow", "txt_caption").text, INTERVAL_PROMPT)
        self.assertEqual(program.control("customWindow", "edt_customtime").text, "", "the edit starts empty")

        program.click("customWindow", "edt_customtime")
        program.type_text("0.25")
        program.control("customWindow", "edt_customtime", timeout=5, where=lambda c: c.text == "0.25")
        program.photograph("customWindow", "custom-interval.png")

        program.click("customWindow", "btn_sure")
        self.dialog_gone(program)
        program.control("mainWindow", "cbx_Time", timeout=5, where=lambda c: c.text == "0.25")

        downs = self.clicks_with(target, "F8", 2.5)
        self.assertGreaterEqual(len(downs), 6)
        _, median, _ = summary([t for t, *_ in downs])
        self.assertGreater(median, 200)
        self.assertLess(median, 320)


if __name__ == "__main__":
    unittest.main(verbosity=2)
