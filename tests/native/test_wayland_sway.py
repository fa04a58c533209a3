"""The program's clicks in a Wayland session (headless sway with Xwayland):
they reach a Wayland-native window through the virtual pointer and an X11
window through XTest, at the pointer (which they never move) and at a fixed
point, with the exact limit. Runs start with the hotkey while an X11 window
has the keyboard focus, since the X11 hotkey fires only then."""

import json
import os
import struct
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))

from harness.clicks import mouse_data  # noqa: E402
from harness.native import store_text  # noqa: E402
from harness.desktop import wait_for  # noqa: E402
from harness.native import NativeProgram, program_path  # noqa: E402
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


class WaylandNotices(unittest.TestCase):
    """Notices in sway, which shows no tray here: a real notification daemon
    (mako) on the session bus shows each in place of the one before, quiet
    notices leave out the start and stop, and without a daemon the notices
    reach the program's log."""

    STARTED, STOPPED = "鼠标连点器已经开始", "鼠标连点器已经停止"

    @classmethod
    def setUpClass(cls):
        cls.desktop = SwayDesktop(cls.__name__, {SwayX11ClickTarget.TITLE: X11_RECT[:2], "Zintra": PROGRAM_AT})
        cls.desktop.env["DBUS_SESSION_BUS_ADDRESS"] = cls.desktop.start_session_bus()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()

    def tearDown(self):
        self.desktop.stop_all()

    def start(self, name, quiet=0, notice_said=False):
        record = bytearray(mouse_data(interval=1.0))
        record[3] = quiet  # closeRightTip
        values = {"MouseData": (3, bytes(record))}
        if notice_said:
            values["ShortcutNoticeShown"] = (4, (1).to_bytes(4, "little"))
        self.desktop.write_store(store_text(values))
        os.chown(self.desktop.store_path.parent, self.desktop.uid, self.desktop.gid)
        os.chown(self.desktop.store_path, self.desktop.uid, self.desktop.gid)
        self.x11 = SwayX11ClickTarget(self.desktop, rect=X11_RECT)
        self.program = NativeProgram(self.desktop, name)
        time.sleep(1.0)  # the hotkey is grabbed as the program starts
        self.desktop.move_pointer(*self.x11.centre())

    def start_daemon(self):
        self.desktop.start("mako", log_name="mako.log")
        wait_for(lambda: self.notices() is not None, 20, what="mako on the session bus")

    def notices(self):
        """[(summary, body)] of what mako shows, newest first; None without mako."""
        out = self.desktop.run("busctl", "--user", "-j", "call", "org.freedesktop.Notifications", "/fr/emersion/Mako",
                               "fr.emersion.Mako", "ListNotifications")
        if out.returncode != 0:
            return None
        return [(n["summary"]["data"], n["body"]["data"]) for n in json.loads(out.stdout)["data"][0]]

    def log_text(self):
        return self.program.log_path.read_text(encoding="utf-8", errors="replace")

    def test_a_daemon_shows_each_notice_in_place_of_the_one_before_and_quiet_notices_leave_out_runs(self):
        self.start_daemon()
        self.start("zintra-daemon")
        wait_for(lambda: [s for s, _ in self.notices() or []] == ["Zintra：热键只在本程序的窗口中有效"], 20,
                 what=f"the binding notice ({self.notices()})")
        self.x11.press("F8")
        wait_for(lambda: self.notices() == [(self.STARTED, "")], 20, what=f"the start notice ({self.notices()})")
        self.desktop.screenshot("sway-notice")
        self.x11.press("F8")
        wait_for(lambda: self.notices() == [(self.STOPPED, "")], 20, what=f"the stop notice ({self.notices()})")
        self.assertNotIn("zintra: notice:", self.log_text(), "shown, so not logged")
        self.desktop.stop_all()

        self.start_daemon()
        self.start("zintra-quiet", quiet=1, notice_said=True)
        self.x11.press("F8")
        time.sleep(1.5)
        self.x11.press("F8")
        time.sleep(1.0)
        self.assertGreater(len(self.x11.events()), 0, "it ran")
        self.assertEqual(self.notices(), [])
        self.assertNotIn("zintra: notice:", self.log_text())

    def test_without_a_daemon_the_notices_reach_the_log(self):
        self.start("zintra-nodaemon")
        wait_for(lambda: "zintra: notice: Zintra：热键只在本程序的窗口中有效: " in self.log_text(), 20,
                 what="the binding notice in the log")
        self.x11.press("F8")
        wait_for(lambda: f"zintra: notice: {self.STARTED}" in self.log_text(), 20, what="the start notice in the log")
        self.x11.press("F8")
        wait_for(lambda: f"zintra: notice: {self.STOPPED}" in self.log_text(), 20, what="the stop notice in the log")


if __name__ == "__main__":
    unittest.main(verbosity=2)
