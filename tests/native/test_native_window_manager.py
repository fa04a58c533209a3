"""The native zintra's windows with and without a window manager: they carry
no system frame (the layouts draw their own caption), dragging that caption
moves them (by the program itself on a bare display, through the window
manager's own move under Openbox), and the manager's close request ends the
program with its settings saved."""

import shutil
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeProgram, NativeTestCase, pixels, read_store  # noqa: E402

CAPTION_COLOUR = (0x01, 0x5C, 0x5D)  # the main window's own title strip


class CaptionDragging:
    """Shared by the bare display and the managed one."""

    def drag_caption(self, program, dx, dy):
        frame = program.window("mainWindow")
        start = (frame.left + 150, frame.top + 15)  # on the caption, clear of its buttons
        self.desktop.move_pointer(*start)
        time.sleep(0.2)
        self.desktop.xdotool("mousedown", "1")
        time.sleep(0.3)
        for step in range(1, 6):
            self.desktop.move_pointer(start[0] + dx * step // 5, start[1] + dy * step // 5)
            time.sleep(0.1)
        time.sleep(0.3)
        self.desktop.xdotool("mouseup", "1")
        time.sleep(0.5)
        return frame

    def test_dragging_the_caption_moves_the_window(self):
        program = NativeProgram(self.desktop, f"drag-{type(self).__name__}")
        before = self.drag_caption(program, 120, 90)
        moved = program.control("mainWindow", "*", timeout=5,
                                where=lambda c: c.visible and (c.left, c.top) != (before.left, before.top))
        self.assertLessEqual(abs(moved.left - (before.left + 120)), 3, (before, moved))
        self.assertLessEqual(abs(moved.top - (before.top + 90)), 3, (before, moved))
        self.assertEqual(moved.size, (400, 300))
        # No frame of the system's above the window: the row above it is not the caption.
        shot = program.photograph("mainWindow", f"{type(self).__name__}-moved.png")
        _, _, pixel = pixels(shot)
        self.assertEqual(pixel(150, 10), CAPTION_COLOUR, "the window starts with its own caption")

    def test_the_close_request_ends_the_program_and_saves(self):
        self.desktop.store_path.unlink(missing_ok=True)
        program = NativeProgram(self.desktop, f"close-{type(self).__name__}")
        program.click("mainWindow", "type_right")
        self.assertTrue(program.close())
        self.assertEqual(program.exit_code(), 0)
        self.assertIn("mousedata", read_store(self.desktop.store_path) or {})


class BareDisplay(CaptionDragging, NativeTestCase):
    pass


@unittest.skipUnless(shutil.which("openbox"), "Openbox is not installed (scripts/setup-deps.sh installs it)")
class OpenboxDisplay(CaptionDragging, NativeTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.manager = subprocess.Popen(["openbox", "--sm-disable"], env=cls.desktop.env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL, start_new_session=True)
        time.sleep(1.5)  # openbox takes over the display
        if cls.manager.poll() is not None:
            raise RuntimeError("openbox did not start")

    @classmethod
    def tearDownClass(cls):
        cls.manager.terminate()
        try:
            cls.manager.wait(5)
        except subprocess.TimeoutExpired:
            cls.manager.kill()
        super().tearDownClass()


if __name__ == "__main__":
    unittest.main(verbosity=2)
