"""The main window under Wine and natively: its size and Chinese texts drawn
as glyphs, a click type and interval chosen in it with the mouse change the
clicks and are kept across a restart, the system's close request saves too,
and a start with -auto shows no window while its hotkey works."""

import struct
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.clicks import summary  # noqa: E402
from harness.screen import dark_pixels  # noqa: E402
from harness.system import adapter  # noqa: E402

SYSTEM = adapter()


class MainWindow(SYSTEM.TestCase):
    def setUp(self):
        self.desktop.clear_settings()

    def test_first_start_shows_the_main_window_with_its_chinese_texts(self):
        program = SYSTEM.Program(self.desktop, "main-first")
        frame = program.window("mainWindow")
        self.assertEqual(frame.size, (400, 300))
        self.assertEqual(program.control("mainWindow", "txt_hotkey").text, "F8")
        self.assertEqual(program.control("mainWindow", "cbx_Time").text, "0.1")
        self.assertEqual(program.control("mainWindow", "type_left").text, "鼠标左键")
        self.assertEqual(program.control("mainWindow", "txt_mousetype").text, "启动和停止的热键")
        shot = program.photograph("mainWindow", f"{SYSTEM.PICTURE_PREFIX}main-window.png")
        # Glyphs, not empty boxes: the label's area holds many dark text pixels.
        label = program.control("mainWindow", "txt_mousetype")
        box = (label.left - frame.left, label.top - frame.top, label.right - frame.left, label.bottom - frame.top)
        self.assertGreater(dark_pixels(shot, box), 60)

    def test_click_type_and_interval_chosen_in_the_window_change_the_clicks_and_survive_a_restart(self):
        target = SYSTEM.ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        program = SYSTEM.Program(self.desktop, "main-choices")
        program.click("mainWindow", "type_right")
        program.control("mainWindow", "txt_mousetype", where=lambda c: c.text == "开始右键连点")
        program.choose("mainWindow", "cbx_Time", 4)  # "0.2"
        program.control("mainWindow", "cbx_Time", timeout=5, where=lambda c: c.text == "0.2")
        self.desktop.move_pointer(*target.centre())
        downs = [e for e in target.clicks_between("F8", 2.0) if e[1].endswith("D")]
        self.assertGreaterEqual(len(downs), 6)
        self.assertTrue(all(kind == "RD" for _, kind, _, _ in downs), downs)
        _, median, _ = summary([t for t, *_ in downs])
        self.assertGreater(median, 150)
        self.assertLess(median, 320)

        self.assertTrue(program.close())
        self.assertEqual(program.exit_code(), 0)
        stored = self.desktop.stored_mouse_data()
        self.assertIsNotNone(stored)
        kind, record = stored
        self.assertEqual((kind, len(record)), (3, 424))
        click_type, interval = struct.unpack_from("<if", record, 8)
        self.assertEqual(click_type, 1)
        self.assertAlmostEqual(interval, 0.2, places=5)

        again = SYSTEM.Program(self.desktop, "main-choices-again")
        self.assertTrue(again.control("mainWindow", "type_right").checked)
        self.assertEqual(again.control("mainWindow", "cbx_Time").text, "0.2")
        time.sleep(0.5)  # the hotkey is registered as the program starts
        self.desktop.move_pointer(*target.centre())
        kinds = {kind for _, kind, _, _ in target.clicks_between("F8", 1.2)}
        self.assertEqual(kinds, {"RD", "RU"})

    def test_system_close_saves_too(self):
        program = SYSTEM.Program(self.desktop, "main-close")
        program.click("mainWindow", "type_leftdown")
        self.assertTrue(program.close())
        self.assertEqual(program.exit_code(), 0)
        again = SYSTEM.Program(self.desktop, "main-close-again")
        again.control("mainWindow", "type_leftdown", where=lambda c: c.checked)
        self.assertFalse(again.control("mainWindow", "cbx_Time").enabled)

    def test_auto_start_shows_no_window_but_the_hotkey_clicks(self):
        target = SYSTEM.ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        tray = SYSTEM.HiddenStartTray(self.desktop)
        self.addCleanup(tray.stop)
        program = SYSTEM.Program(self.desktop, "main-auto", "-auto", wait_for_window=None)
        program.control("mainWindow", "*")
        time.sleep(1.5)
        self.assertFalse(program.window_visible("mainWindow"))
        self.desktop.move_pointer(*target.centre())
        target.clicks_between("F8", 1.0)
        self.assertGreaterEqual(len(target.downs()), 4)
        second = self.desktop.run(SYSTEM.program_path(), timeout=30)
        self.assertEqual(second.returncode, 0, "a second start ends at once")


if __name__ == "__main__":
    unittest.main(verbosity=2)
