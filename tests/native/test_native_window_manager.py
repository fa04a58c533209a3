"""The native zintra's windows with and without a window manager: they carry
no system frame (the layouts draw their own caption), dragging that caption
moves them (by the program itself on a bare display, through the window
manager's own move under Openbox), and the manager's close request ends the
program with its settings saved."""

import re
import shutil
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import (ManagedTestCase, NativeProgram, NativeTestCase, X11ClickTarget, pixels,  # noqa: E402
                            read_store)

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
class OpenboxDisplay(CaptionDragging, ManagedTestCase):
    pass


@unittest.skipUnless(shutil.which("xcompmgr"), "xcompmgr is not installed (scripts/setup-deps.sh installs it)")
class CompositedDisplay(NativeTestCase):
    """With a compositor running, translucent layouts get a window with an alpha channel."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.compositor = subprocess.Popen(["xcompmgr"], env=cls.desktop.env, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL, start_new_session=True)
        time.sleep(1.0)
        if cls.compositor.poll() is not None:
            raise RuntimeError("xcompmgr did not start")

    @classmethod
    def tearDownClass(cls):
        cls.compositor.terminate()
        cls.compositor.wait(5)
        super().tearDownClass()

    def test_translucent_windows_have_an_alpha_channel_and_draw_as_without(self):
        program = NativeProgram(self.desktop, "composited")
        window = self.desktop.xdotool("search", "--name", "^Zintra$").split("\n")[0]
        info = subprocess.run(["xwininfo", "-id", window], env=self.desktop.env, capture_output=True, text=True,
                              timeout=30).stdout
        self.assertIn("Depth: 32", info)
        shot = program.photograph("mainWindow", "native-main-window-composited.png")
        _, _, pixel = pixels(shot)
        self.assertEqual(pixel(150, 10), CAPTION_COLOUR, "premultiplied pixels blend to the same colours")
        self.assertEqual(program.control("mainWindow", "type_left").text, "鼠标左键")


def set_root_resources(desktop, text):
    """Sets the X resources on the root window, as xrdb does (the desktop's DPI lives there)."""
    subprocess.run(["xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER", text],
                   env=desktop.env, check=True, timeout=30)


class ScaledDisplay(NativeTestCase):
    """A desktop set to 192 DPI (Xft.dpi): the layouts' 96-DPI pixels double."""

    def test_windows_grow_with_the_desktop_scale(self):
        # A client stays connected first: the server forgets its resources when the last one leaves.
        X11ClickTarget(self.desktop, rect=(0, 0, 100, 100))
        set_root_resources(self.desktop, "Xft.dpi:\t192\n")
        program = NativeProgram(self.desktop, "scaled")
        self.assertEqual(program.window("mainWindow").size, (800, 600), "the map speaks screen pixels")
        window = self.desktop.xdotool("search", "--name", "^Zintra$").split("\n")[0]
        geometry = self.desktop.xdotool("getwindowgeometry", window)
        self.assertEqual(re.search(r"Geometry: (\d+)x(\d+)", geometry).groups(), ("800", "600"), geometry)
        frame = program.window("mainWindow")
        shot = self.desktop.screenshot("scaled-screen.png")
        subprocess.run(["convert", str(shot), "-crop", f"800x600+{frame.left}+{frame.top}", "+repage",
                        str(self.desktop.dir / "native-main-window-192dpi.png")], check=True, timeout=30)
        _, _, pixel = pixels(self.desktop.dir / "native-main-window-192dpi.png")
        self.assertEqual(pixel(300, 30), CAPTION_COLOUR, "the caption is drawn twice as tall")


if __name__ == "__main__":
    unittest.main(verbosity=2)
