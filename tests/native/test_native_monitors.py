"""The native zintra on two and three monitors (RandR 1.5 monitors that
xrandr sets on Xvfb): the main window opens centred on the monitor under the
pointer, never across the seam between two, a dialog opens on its owner's
monitor, a monitor placed off the screen (negative coordinates) is never
used, and a window whose monitor is removed while the program runs comes
back on the monitor nearest to it, also on one added while it ran."""

import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeDesktop, NativeProgram, NativeTestCase  # noqa: E402

MAIN = (400, 300)  # the main window's size at scale 1
SETTINGS = "SettingWindow"


def centred(area, size):
    """The top-left corner of a window of `size` centred on `area` (left, top, right, bottom)."""
    left, top, right, bottom = area
    return left + (right - left - size[0]) // 2, top + (bottom - top - size[1]) // 2


class MonitorDesktop(NativeTestCase):
    """A display of WIDTH x HEIGHT whose monitors are MONITORS: (name, left, top, width, height)."""

    WIDTH, HEIGHT, MONITORS, PRIMARY = 3840, 1080, (), None

    @classmethod
    def setUpClass(cls):
        cls.desktop = NativeDesktop(cls.__name__, cls.WIDTH, cls.HEIGHT, keep=True)
        for index, monitor in enumerate(cls.MONITORS):
            cls.set_monitor(*monitor, output="screen" if index == 0 else "none")
        if cls.PRIMARY:
            cls.xrandr("--output", "screen", "--primary")

    @classmethod
    def xrandr(cls, *args):
        result = subprocess.run(["xrandr", *args], env=cls.desktop.env, capture_output=True, text=True, timeout=30)
        assert result.returncode == 0, result.stderr
        return result.stdout

    @classmethod
    def set_monitor(cls, name, left, top, width, height, output="none"):
        cls.xrandr("--setmonitor", name, f"{width}/{width // 4}x{height}/{height // 4}+{left}+{top}", output)

    def open_main_window(self, name, pointer):
        self.desktop.move_pointer(*pointer)
        program = NativeProgram(self.desktop, name)
        return program, program.window("mainWindow")

    def assert_at(self, frame, corner, size=MAIN):
        self.assertEqual(((frame.left, frame.top), frame.size), (corner, size), frame)


class TwoMonitorsSideBySide(MonitorDesktop):
    MONITORS = (("L", 0, 0, 1920, 1080), ("R", 1920, 0, 1920, 1080))

    def test_the_main_window_opens_on_the_monitor_under_the_pointer(self):
        self.assertEqual(self.xrandr("--listmonitors").count("\n"), 3)  # the heading and two monitors
        program, frame = self.open_main_window("right", (2500, 700))
        self.assert_at(frame, centred((1920, 0, 3840, 1080), MAIN))
        program.photograph("mainWindow", "main-window-on-the-second-monitor.png")
        self.desktop.stop_all()
        _, frame = self.open_main_window("left", (300, 900))
        self.assert_at(frame, centred((0, 0, 1920, 1080), MAIN))

    def test_a_dialog_opens_on_its_owners_monitor(self):
        program, frame = self.open_main_window("dialog", (3000, 200))
        self.assert_at(frame, centred((1920, 0, 3840, 1080), MAIN))
        program.click("mainWindow", "btn_Sett")
        dialog = program.window(SETTINGS)
        # Centred on the right-hand monitor, whatever the dialog's size.
        self.assertLessEqual(abs((dialog.left - 1920) - (3840 - dialog.right)), 1, dialog)
        self.assertLessEqual(abs(dialog.top - (1080 - dialog.bottom)), 1, dialog)


class ThreeMonitorsAroundThePrimary(MonitorDesktop):
    """The primary monitor at the bottom right, one left of it and one above
    it, and one more set left of the screen's origin, where nothing shows."""

    WIDTH, HEIGHT = 3840, 2160
    MONITORS = (("P", 1920, 1080, 1920, 1080), ("L", 0, 1080, 1920, 1080), ("T", 1920, 0, 1920, 1080),
                ("OFF", -1920, 0, 1920, 1080))
    PRIMARY = True

    def test_the_main_window_opens_on_each_monitor_under_the_pointer(self):
        for name, pointer, area in (("top", (2600, 300), (1920, 0, 3840, 1080)),
                                    ("left", (900, 1600), (0, 1080, 1920, 2160)),
                                    ("primary", (3000, 2000), (1920, 1080, 3840, 2160))):
            with self.subTest(name):
                _, frame = self.open_main_window(name, pointer)
                self.assert_at(frame, centred(area, MAIN))
                self.desktop.stop_all()

    def test_a_monitor_off_the_screen_is_never_used(self):
        # The corner is as near to the monitor left of the origin as to any, but
        # that one shows nothing: the window opens on the nearest one that shows.
        _, frame = self.open_main_window("corner", (0, 0))
        self.assert_at(frame, centred((0, 1080, 1920, 2160), MAIN))


class MonitorsChangingWhileRunning(MonitorDesktop):
    WIDTH = 5760
    MONITORS = (("L", 0, 0, 1280, 1080), ("M", 1920, 0, 1920, 1080))

    def test_a_window_left_on_a_removed_monitor_comes_back_on_the_nearest(self):
        program, frame = self.open_main_window("changing", (2500, 500))
        self.assert_at(frame, centred((1920, 0, 3840, 1080), MAIN))
        # A monitor added while the program runs, then the window's own removed.
        self.set_monitor("N", 3840, 0, 1920, 1080)
        self.xrandr("--delmonitor", "M")
        moved = program.control("mainWindow", "*", timeout=10, where=lambda c: c.left >= 3840)
        self.assert_at(moved, centred((3840, 0, 5760, 1080), MAIN))
        # Removing that one too brings it back on the first.
        self.xrandr("--delmonitor", "N")
        moved = program.control("mainWindow", "*", timeout=10, where=lambda c: c.right <= 1280)
        self.assert_at(moved, centred((0, 0, 1280, 1080), MAIN))


if __name__ == "__main__":
    unittest.main(verbosity=2)
