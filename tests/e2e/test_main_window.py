"""The real zintra.exe's main window under Wine, used with the mouse and keys:
the close button hides to the tray and the tray's exit command saves the
settings. What the window does on both systems is tested in
tests/shared/test_main_window.py."""

import struct
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from program_harness import WM_COMMAND, Program  # noqa: E402
from wine_harness import PROGRAM_KEY, WineTestCase  # noqa: E402


class MainWindow(WineTestCase):
    def setUp(self):
        self.desktop.delete_mouse_data()

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


if __name__ == "__main__":
    unittest.main(verbosity=2)
