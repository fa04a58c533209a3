"""The program's clicks in a Wayland session (headless sway with Xwayland):
they reach a Wayland-native window through the virtual pointer and an X11
window through XTest, at the pointer (which they never move) and at a fixed
point, with the exact limit. Runs start with the hotkey while an X11 window
has the keyboard focus, since the X11 hotkey fires only then."""

import os
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))

from harness.clicks import mouse_data  # noqa: E402
from harness.desktop import wait_for  # noqa: E402
from harness.native import NativeProgram, program_path  # noqa: E402
from harness.wayland import WL_COUNTER_TITLE, SwayDesktop, SwayX11ClickTarget, WaylandClickCounter  # noqa: E402

X11_RECT = (40, 100, 440, 400)
WL_RECT = (760, 100, 1160, 400)
PROGRAM_AT = (420, 460)


class WaylandClicking(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = SwayDesktop(cls.__name__, {
            SwayX11ClickTarget.TITLE: X11_RECT[:2], WL_COUNTER_TITLE: WL_RECT[:2], "Zintra": PROGRAM_AT})

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()

    def tearDown(self):
        self.desktop.stop_all()

    def start(self, record, pointer):
        """Both targets and the program on `record`, the compositor's pointer at `pointer`."""
        self.desktop.set_mouse_data(record)
        os.chown(self.desktop.store_path.parent, self.desktop.uid, self.desktop.gid)
        os.chown(self.desktop.store_path, self.desktop.uid, self.desktop.gid)
        self.x11 = SwayX11ClickTarget(self.desktop, rect=X11_RECT)
        self.wl = WaylandClickCounter(self.desktop, WL_RECT, timed=True)
        self.program = NativeProgram(self.desktop, "zintra")
        time.sleep(1.0)  # the hotkey is grabbed as the program starts
        self.desktop.move_pointer(*pointer)
        time.sleep(0.2)

    def wl_clicks(self):
        counts = self.wl.counts()
        return {k: v for k, v in counts.items() if k != "AT" and v}

    def run_limited(self, presses):
        """Starts the run with the hotkey in the X11 window; waits until `presses` button events are counted."""
        self.x11.press("F8")
        wait_for(lambda: sum(self.wl_clicks().values()) + len(self.x11.events()) >= presses, 20,
                 what=f"the clicks ({self.wl_clicks()} in Wayland, {self.x11.events()} in X11)")
        time.sleep(0.5)  # nothing more may come

    def test_clicks_at_the_pointer_reach_the_window_under_it_and_never_move_it(self):
        left, top, _, _ = WL_RECT
        at = (left + 123, top + 77)
        self.start(mouse_data(interval=0.05, use_limit=1, limit=5), at)
        self.run_limited(10)
        self.assertEqual(self.wl_clicks(), {"LD": 5, "LU": 5})
        self.assertEqual(self.wl.counts()["AT"], (123, 77))
        # Each press released before the next, all where the pointer was.
        self.assertEqual([(kind, x, y) for _, kind, x, y in self.wl.events()], [("LD", 123, 77), ("LU", 123, 77)] * 5)
        self.assertEqual(self.x11.events(), [])
        self.desktop.screenshot("sway-left-at-pointer")

    def toggle(self):
        """`zintra --toggle` from a second process, as a desktop shortcut runs it."""
        self.assertEqual(self.desktop.run(program_path(), "--toggle").returncode, 0)

    def test_a_held_down_run_presses_once_and_lets_go_when_it_ends(self):
        at = (WL_RECT[0] + 60, WL_RECT[1] + 70)
        # 200 ticks at the 10 ms floor: the run holds the button about two seconds.
        self.start(mouse_data(click_type=2, use_limit=1, limit=200), at)
        self.x11.press("F8")
        wait_for(lambda: self.wl_clicks(), 20, what="the press")
        self.assertEqual(self.wl_clicks(), {"LD": 1}, "pressed once and held")
        wait_for(lambda: self.wl_clicks().get("LU"), 20, what="the release at the limit")
        time.sleep(0.5)  # nothing more may come
        self.assertEqual(self.wl_clicks(), {"LD": 1, "LU": 1})
        self.assertEqual(self.wl.counts()["AT"], (60, 70))
        self.assertEqual(self.x11.events(), [])

        # Stopped in mid-hold, the button is let go at once.
        self.x11.press("F8")
        wait_for(lambda: self.wl_clicks()["LD"] == 2, 20, what="the second run's press")
        time.sleep(0.3)
        self.assertEqual(self.wl_clicks(), {"LD": 2, "LU": 1}, "held while the run lasts")
        self.toggle()
        wait_for(lambda: self.wl_clicks()["LU"] == 2, 20, what="the release at the stop")
        time.sleep(0.5)
        self.assertEqual(self.wl_clicks(), {"LD": 2, "LU": 2})

        # A program that ends in mid-hold lets go on its way out.
        self.x11.press("F8")
        wait_for(lambda: self.wl_clicks()["LD"] == 3, 20, what="the third run's press")
        self.assertTrue(self.program.close())
        wait_for(lambda: self.wl_clicks()["LU"] == 3, 20, what="the release as the program ends")
        self.assertEqual(self.program.exit_code(), 0)
        self.desktop.stop_all()

        # Over an X11 window the press goes through XTest and is let go the same way.
        at = (X11_RECT[0] + 150, X11_RECT[1] + 90)
        self.start(mouse_data(click_type=2), at)
        self.x11.press("F8")
        wait_for(lambda: self.x11.events(), 20, what="the press in X11")
        time.sleep(0.3)
        self.toggle()
        wait_for(lambda: len(self.x11.events()) >= 2, 20, what="the release in X11")
        time.sleep(0.5)
        self.assertEqual([(kind, x, y) for _, kind, x, y in self.x11.events()], [("LD", *at), ("LU", *at)])
        self.assertEqual(self.wl_clicks(), {})

    def test_right_clicks_at_the_pointer_over_an_x11_window_go_through_xtest(self):
        at = (X11_RECT[0] + 150, X11_RECT[1] + 90)
        self.start(mouse_data(click_type=1, interval=0.05, use_limit=1, limit=5), at)
        self.run_limited(10)
        self.assertEqual([(kind, x, y) for _, kind, x, y in self.x11.events()], [("RD", *at), ("RU", *at)] * 5)
        self.assertEqual(self.wl_clicks(), {})

    def test_a_fixed_point_reaches_the_window_there_whichever_window_the_pointer_is_over(self):
        in_wayland = (WL_RECT[0] + 40, WL_RECT[1] + 250)
        self.start(mouse_data(interval=0.05, use_limit=1, limit=4, use_fixed=1, x=in_wayland[0], y=in_wayland[1]),
                   (X11_RECT[0] + 200, X11_RECT[1] + 150))
        self.run_limited(8)
        self.assertEqual(self.wl_clicks(), {"LD": 4, "LU": 4})
        self.assertEqual(self.wl.counts()["AT"], (40, 250))
        self.assertEqual(self.x11.events(), [])
        self.desktop.stop_all()

        in_x11 = (X11_RECT[0] + 33, X11_RECT[1] + 44)
        self.start(mouse_data(interval=0.05, use_limit=1, limit=4, use_fixed=1, x=in_x11[0], y=in_x11[1]),
                   (WL_RECT[0] + 200, WL_RECT[1] + 150))
        self.run_limited(8)
        self.assertEqual([(kind, x, y) for _, kind, x, y in self.x11.events()], [("LD", *in_x11), ("LU", *in_x11)] * 4)
        self.assertEqual(self.wl_clicks(), {})


if __name__ == "__main__":
    unittest.main(verbosity=2)
