"""The program's clicks in a Wayland session (headless sway with Xwayland):
they reach a Wayland-native window through the virtual pointer and an X11
window through XTest, at the pointer (which they never move) and at a fixed
point, with the exact limit. Runs start with the hotkey while an X11 window
has the keyboard focus, since the X11 hotkey fires only then."""

import os
import struct
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))

from harness.clicks import mouse_data  # noqa: E402
from harness.desktop import wait_for  # noqa: E402
from harness.native import NativeProgram  # noqa: E402
from harness.settings_window import POS_X, WINDOW, SettingsWindowSteps  # noqa: E402
from harness.wayland import WL_COUNTER_TITLE, SwayDesktop, SwayX11ClickTarget, WaylandClickCounter  # noqa: E402

X11_RECT = (40, 100, 440, 400)
WL_RECT = (760, 100, 1160, 400)
PROGRAM_AT = (420, 460)


class WaylandClicking(SettingsWindowSteps, unittest.TestCase):
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
        self.wl = WaylandClickCounter(self.desktop, WL_RECT)
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
        self.assertEqual(self.x11.events(), [])
        self.desktop.screenshot("sway-left-at-pointer")

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

    def test_after_a_fixed_point_in_x11_clicks_at_the_pointer_follow_the_user_into_wayland(self):
        in_x11 = (X11_RECT[0] + 33, X11_RECT[1] + 44)
        self.start(mouse_data(interval=0.05, use_limit=1, limit=4, use_fixed=1, x=in_x11[0], y=in_x11[1]),
                   (WL_RECT[0] + 200, WL_RECT[1] + 150))
        self.run_limited(8)
        self.assertEqual([(kind, x, y) for _, kind, x, y in self.x11.events()], [("LD", *in_x11), ("LU", *in_x11)] * 4)

        # The user's pointer goes over the Wayland window; Xwayland's stays
        # where the clicks were. The program starts again, clicking at the pointer.
        self.desktop.move_pointer(WL_RECT[0] + 60, WL_RECT[1] + 70)
        self.program.process.terminate()
        self.program.process.wait(5)
        self.desktop.set_mouse_data(mouse_data(interval=0.05, use_limit=1, limit=4))
        self.program = NativeProgram(self.desktop, "zintra")
        time.sleep(1.0)
        self.run_limited(16)
        self.assertEqual(self.wl_clicks(), {"LD": 4, "LU": 4})
        self.assertEqual(self.wl.counts()["AT"], (60, 70))
        self.assertEqual(len(self.x11.events()), 8)

    def test_ctrl_q_picks_over_an_x11_window_and_says_so_where_the_position_is_unknown(self):
        self.start(mouse_data(use_fixed=1, x=5, y=6), (WL_RECT[0] + 60, WL_RECT[1] + 70))
        self.open_settings(self.program)
        # Whole on the screen, beside the points picked (the main window goes along).
        self.desktop.swaymsg('[title="^Zintra$"]', "move", "absolute", "position", 450, 230)
        time.sleep(0.5)
        fields = lambda: (self.program.control(WINDOW, "edt_posX").text, self.program.control(WINDOW, "edt_posY").text)
        unknown = "鼠标所在处取不到坐标，请用方法一拖动准心"

        # Over the Wayland window Xwayland's position is stale: nothing is picked.
        self.tick(self.program, "chk_ctrlq")
        self.desktop.move_pointer_by_hand(WL_RECT[0] + 100, WL_RECT[1] + 100)
        self.program.control(WINDOW, "txt_posUnknown", timeout=5, where=lambda c: c.text == unknown)
        self.x11.press("ctrl+q")
        self.program.control(WINDOW, "chk_ctrlq", timeout=5, where=lambda c: not c.checked)
        self.assertEqual(fields(), ("5", "6"))
        self.desktop.screenshot("sway-ctrl-q-position-unknown")

        at = (X11_RECT[0] + 120, X11_RECT[1] + 130)
        self.tick(self.program, "chk_ctrlq")
        self.desktop.move_pointer_by_hand(*at)
        self.program.control(WINDOW, "edt_posX", timeout=5, where=lambda c: c.text == str(at[0]))
        self.assertEqual(self.program.control(WINDOW, "txt_posUnknown").text, "")
        self.x11.press("ctrl+q")
        self.program.control(WINDOW, "chk_ctrlq", timeout=5, where=lambda c: not c.checked)
        self.assertEqual(fields(), tuple(map(str, at)))
        self.confirm(self.program)
        self.assertEqual(struct.unpack_from("<ii", self.stored_record(), POS_X), at)


if __name__ == "__main__":
    unittest.main(verbosity=2)
