"""The native zintra's settings window with real X input: a fixed position
picked with Ctrl+Q. What the window does on both systems is tested in
tests/shared/test_settings_window.py."""

import struct
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeProgram, NativeTestCase  # noqa: E402

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.settings_window import POS_X, WINDOW, SettingsWindowSteps  # noqa: E402


class NativeSettingsWindow(SettingsWindowSteps, NativeTestCase):
    def setUp(self):
        self.desktop.store_path.unlink(missing_ok=True)

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


if __name__ == "__main__":
    unittest.main(verbosity=2)
