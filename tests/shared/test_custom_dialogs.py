"""The two custom dialogs under Wine and natively, used with real keys: a key
combination pressed in the custom hotkey dialog becomes the start/stop hotkey
(also with NumLock on, and after a restart), and an interval typed into the
custom interval dialog sets the pace of the clicks."""

import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.clicks import summary  # noqa: E402
from harness.desktop import wait_for  # noqa: E402
from harness.system import adapter  # noqa: E402

SYSTEM = adapter()
HOTKEY_PROMPT = "请直接在键盘上输入新的热键"
INTERVAL_PROMPT = "请输入要设置的时间间隔"
CUSTOM_HOTKEY_ENTRY = 12
CUSTOM_INTERVAL_ENTRY = 9
NUM_LOCK = 0x10  # its bit of the X modifier state


class CustomDialogs(SYSTEM.TestCase):
    def setUp(self):
        self.desktop.clear_settings()

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
        self.desktop.move_pointer(*target.centre())
        return [e for e in target.clicks_between(keys, seconds) if e[1].endswith("D")]

    def assert_hotkey_toggles_clicks(self, target, keys):
        downs = self.clicks_with(target, keys, 1.0)
        self.assertGreaterEqual(len(downs), 4, f"{keys} starts the clicks")
        settled = len(target.downs())
        time.sleep(0.6)
        self.assertEqual(len(target.downs()), settled, f"{keys} stops them again")

    # ---- tests ----

    def test_a_pressed_combination_becomes_the_hotkey_also_with_num_lock_on_and_survives_a_restart(self):
        target = SYSTEM.ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        self.desktop.xdotool("key", "Num_Lock")
        self.addCleanup(self.desktop.xdotool, "key", "Num_Lock")
        program = SYSTEM.Program(self.desktop, "custom-hotkey")
        dialog = self.open_dialog(program, "cbx_hotkey", CUSTOM_HOTKEY_ENTRY, "ctrl_hk1")
        self.assertEqual(dialog.size, (282, 162))
        self.assertEqual(program.control("customWindow", "txt_caption").text, HOTKEY_PROMPT)
        self.assertEqual(program.control("customWindow", "ctrl_hk1").text, "无", "the capture starts empty")

        # The dialog's window holds the X keyboard focus; its capture control has the program's.
        dialog_window = self.x_window_at(*program.control("customWindow", "ctrl_hk1").centre)
        self.desktop.xdotool("windowfocus", "--sync", dialog_window)
        self.desktop.xdotool("keydown", "ctrl", "keydown", "alt", "keydown", "k",
                             "keyup", "k", "keyup", "alt", "keyup", "ctrl")
        program.control("customWindow", "ctrl_hk1", timeout=5, where=lambda c: c.text == "Ctrl+Alt+K")
        program.photograph("customWindow", f"{SYSTEM.PICTURE_PREFIX}custom-hotkey.png")

        program.click("customWindow", "btn_sure")
        self.dialog_gone(program)
        program.control("mainWindow", "txt_hotkey", timeout=5, where=lambda c: c.text == "Ctrl+Alt+K")

        self.assert_hotkey_toggles_clicks(target, "ctrl+alt+k")
        self.assertEqual(self.clicks_with(target, "F8", 1.0), [], "F8 is no longer the hotkey")
        self.assertTrue(all(state & NUM_LOCK for state in target.states()), "NumLock was on throughout")

        self.assertTrue(program.close())
        self.assertEqual(program.exit_code(), 0)

        again = SYSTEM.Program(self.desktop, "custom-hotkey-again")
        self.assertEqual(again.control("mainWindow", "txt_hotkey").text, "Ctrl+Alt+K")
        self.assertEqual(again.control("mainWindow", "cbx_hotkey").text, "", "a key with modifiers selects no entry")
        time.sleep(0.5)  # the hotkey is registered as the program starts
        self.assert_hotkey_toggles_clicks(target, "ctrl+alt+k")

    def check_typed_interval(self, typed, seconds, least, fastest, slowest):
        """Types the interval into its dialog; the clicks then come at least
        `least` times in `seconds`, their median period within the bounds (ms)."""
        target = SYSTEM.ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        program = SYSTEM.Program(self.desktop, f"custom-interval-{typed}")
        dialog = self.open_dialog(program, "cbx_Time", CUSTOM_INTERVAL_ENTRY, "edt_customtime")
        self.assertEqual(dialog.size, (282, 162))
        self.assertEqual(program.control("customWindow", "txt_caption").text, INTERVAL_PROMPT)
        self.assertEqual(program.control("customWindow", "edt_customtime").text, "", "the edit starts empty")

        program.click("customWindow", "edt_customtime")
        program.type_text(typed)
        program.control("customWindow", "edt_customtime", timeout=5, where=lambda c: c.text == typed)
        program.photograph("customWindow", f"{SYSTEM.PICTURE_PREFIX}custom-interval-{typed}.png")

        program.click("customWindow", "btn_sure")
        self.dialog_gone(program)
        program.control("mainWindow", "cbx_Time", timeout=5, where=lambda c: c.text == typed)

        downs = self.clicks_with(target, "F8", seconds)
        self.assertGreaterEqual(len(downs), least)
        _, median, _ = summary([t for t, *_ in downs])
        self.assertGreater(median, fastest)
        self.assertLess(median, slowest)

    def test_a_typed_quarter_second_sets_the_pace_of_the_clicks(self):
        self.check_typed_interval("0.25", 2.5, 6, 200, 320)

    def test_a_typed_five_hundredths_set_the_pace_of_the_clicks(self):
        self.check_typed_interval("0.05", 2.0, 20, 35, 90)

if __name__ == "__main__":
    unittest.main(verbosity=2)
