"""The real zintra.exe's main window under Wine, used with the mouse and keys:
the close button hides to the tray, the exit command saves the settings, and
a start with -auto shows no window while its hotkey works. What the window
does on both systems is tested in tests/shared/test_main_window.py."""

import os
import struct
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from program_harness import WM_CLOSE, WM_COMMAND, Program  # noqa: E402
from wine_harness import PROGRAM_KEY, ClickTarget, WineTestCase  # noqa: E402


class MainWindow(WineTestCase):
    def setUp(self):
        self.desktop.delete_mouse_data()

    def clicks_for(self, target, seconds):
        self.desktop.move_pointer(*target.centre())
        self.desktop.press_keys(target.window, "F8")
        time.sleep(seconds)
        self.desktop.press_keys(target.window, "F8")
        time.sleep(0.5)
        return target.downs()

    def test_close_button_hides_and_the_exit_command_saves_and_ends(self):
        program = Program(self.desktop, "main-exit")
        program.click("mainWindow", "type_right")
        program.click("mainWindow", "btn_close")
        self.assertIsNone(self.desktop.xdotool("search", "--onlyvisible", "--name", "^Zintra$") or None)
        self.assertIsNone(program.process.poll(), "the program keeps running in the tray")
        # The tray menu's exit command, as the hidden tray window hands it on.
        self.assertTrue(program.post(WM_COMMAND, 6))
        self.assertEqual(program.exit_code(), 0)
        self.desktop.stop_wine()  # the registry reaches the disk
        value = self.desktop.query_value(PROGRAM_KEY, "MouseData")
        self.assertIsNotNone(value)
        self.assertEqual(value[0], "REG_BINARY")
        data = bytes.fromhex(value[1])
        self.assertEqual(len(data), 424)
        self.assertEqual(struct.unpack_from("<i", data, 8)[0], 1, "the right click was saved")

    def test_system_close_saves_too(self):
        program = Program(self.desktop, "main-close")
        program.click("mainWindow", "type_leftdown")
        self.assertTrue(program.post(WM_CLOSE))
        self.assertEqual(program.exit_code(), 0)
        again = Program(self.desktop, "main-close-again")
        again.control("mainWindow", "type_leftdown", where=lambda c: c.checked)
        self.assertFalse(again.control("mainWindow", "cbx_Time").enabled)

    def test_auto_start_shows_no_window_but_the_hotkey_clicks(self):
        target = ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        program = Program(self.desktop, "main-auto", "-auto", wait_for_window=None)
        program.control("mainWindow", "*")
        time.sleep(1.5)
        self.assertFalse(program.window_visible("mainWindow"))
        downs = self.clicks_for(target, 1.0)
        self.assertGreaterEqual(len(downs), 4)
        second = self.desktop.run(os.environ["ZINTRA_EXE"], timeout=30)
        self.assertEqual(second.returncode, 0, "a second start ends at once")


if __name__ == "__main__":
    unittest.main(verbosity=2)
