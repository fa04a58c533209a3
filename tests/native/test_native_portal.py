"""The native zintra in a Wayland session without a compositor of its own
kind (XDG_SESSION_TYPE=wayland on a plain X display), where its clicks go
through the desktop's remote-desktop portal: the tests' stand-in portal
(desktop_portal.py) on a private session bus records every call. Checked:
the order of the calls and the button codes, absolute motion for a fixed
point in the coordinates of the stream that shows it, the restore token kept
and offered again where the portal remembers permissions (and never offered
where it cannot), a refused request and a missing portal answered with a
message and no click, the desktop closing the session mid-run, and the
desktop's shortcut starting and stopping clicking, the keys the desktop
chose shown beside the hotkey, and the one-time notice on binding
`zintra --toggle` said only where the desktop did not bind the shortcut.
This bus has no notification service, so every notice also reaches the
program's log."""

import json
import os
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import (NativeProgram, NativeTestCase, X11ClickTarget, bus_config, mouse_data, read_store,  # noqa: E402
                            store_text, wait_for)
from test_native_tray import PEER_PYTHON, PrivateSessionBus  # noqa: E402

PORTAL = Path(__file__).resolve().parent / "desktop_portal.py"
PORTAL_PATH = "/org/freedesktop/portal/desktop"
LEFT, RIGHT = 0x110, 0x111
REFUSED = "桌面没有允许本程序控制鼠标，所以没有点击。再次开始时，可以在桌面弹出的对话框中允许。"
CLOSED = "桌面结束了本程序对鼠标的控制，连点已经停止。再次开始时桌面会重新询问。"
NO_PORTAL = "这个桌面没有提供远程控制门户，无法点击。"
NO_STREAM = "桌面没有提供屏幕画面，无法在固定位置点击。可以改为在鼠标指针处点击。"
# The one-time notice on binding `zintra --toggle`, as its log line and as the stored flag.
SHORTCUT_NOTICE_LOGGED = "bind `zintra --toggle` to a desktop shortcut"
SHORTCUT_NOTICE_FLAG = "shortcutnoticeshown"


class BusWithoutActivation(PrivateSessionBus):
    """A session bus that starts no service on demand: the machine's own portal
    (installed for other tests) must never answer in place of the stand-in."""

    def __init__(self, folder):
        config = folder / "bus.conf"
        config.write_text(bus_config("unix:tmpdir=/tmp"))
        out = subprocess.run(["dbus-daemon", f"--config-file={config}", "--fork", "--print-address=1",
                              "--print-pid=1"], capture_output=True, text=True, check=True, timeout=30).stdout.split()
        self.address, self.pid = out[0], int(out[1])


class StandInPortal:
    def __init__(self, desktop, name, *options):
        self.desktop = desktop
        self.log = desktop.dir / f"{name}.jsonl"
        self.log.unlink(missing_ok=True)
        self.process = desktop.start(PEER_PYTHON, PORTAL, "serve", self.log, *options, log_name=f"{name}.log")
        wait_for(lambda: self.entries("ready"), 20, what="the stand-in portal on the bus")

    def entries(self, event=None):
        if not self.log.exists():
            return []
        rows = [json.loads(line) for line in self.log.read_text(encoding="utf-8").splitlines() if line.strip()]
        return [row for row in rows if event is None or row["event"] == event]

    def calls(self, method=None, interface=None):
        """The calls of the method (any) on the interface (any but the shortcuts')."""
        return [row for row in self.entries("call") if (method is None or row["method"] == method) and
                (row["interface"] == interface if interface else row["interface"] != "GlobalShortcuts")]

    def sequence(self):
        """The calls for clicking in order, each as Interface.Method."""
        return [f"{row['interface']}.{row['method']}" for row in self.calls()]

    def buttons(self):
        return [tuple(row["args"][2:]) for row in self.calls("NotifyPointerButton")]

    def control(self, *args):
        result = subprocess.run([PEER_PYTHON, str(PORTAL), "control", *args], env=self.desktop.env,
                                capture_output=True, text=True, timeout=30)
        if result.returncode != 0:
            raise AssertionError(result.stderr)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)


class NativeClicksThroughThePortal(NativeTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.bus = BusWithoutActivation(cls.desktop.dir)
        cls.desktop.env["DBUS_SESSION_BUS_ADDRESS"] = cls.bus.address
        cls.desktop.env["XDG_SESSION_TYPE"] = "wayland"
        cls.desktop.env.pop("WAYLAND_DISPLAY", None)

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        cls.bus.close()

    def setUp(self):
        self.portal = None
        self.desktop.store_path.unlink(missing_ok=True)

    def tearDown(self):
        super().tearDown()
        if self.portal is not None:
            self.portal.stop()

    def start(self, record, *portal_options, store=None, name="zintra"):
        """The stand-in portal, then the program on `record` with the pointer
        over an X11 click target, which XTest would reach; the target."""
        self.portal = StandInPortal(self.desktop, self.id().rsplit(".", 1)[-1], *portal_options)
        self.desktop.write_store(store_text(dict(store or {}, MouseData=(3, record))))
        target = X11ClickTarget(self.desktop, rect=(0, 0, 640, 480))
        self.program = NativeProgram(self.desktop, name)
        time.sleep(0.5)  # the program registers its hotkey as it starts
        self.desktop.move_pointer(*target.centre())
        return target

    def press(self, key="F8"):
        self.desktop.xdotool("key", key)

    def log_text(self):
        return self.program.log_path.read_text(encoding="utf-8", errors="replace")

    def test_clicks_at_the_pointer_go_through_a_started_session(self):
        target = self.start(mouse_data(click_type=1, interval=0.05))
        self.press()
        wait_for(lambda: len(self.portal.buttons()) >= 10, 20, what="clicks through the portal")
        self.press()
        time.sleep(0.5)
        stopped_at = len(self.portal.buttons())
        time.sleep(0.5)
        self.assertEqual(len(self.portal.buttons()), stopped_at, "clicks went on after the second press")
        self.assertEqual(self.portal.sequence()[:4], ["RemoteDesktop.CreateSession", "RemoteDesktop.SelectDevices",
                                                      "ScreenCast.SelectSources", "RemoteDesktop.Start"])
        create, select, sources, start = self.portal.calls()[:4]
        session = select["args"][0]
        self.assertTrue(session.startswith("/org/freedesktop/portal/desktop/session/"), session)
        self.assertEqual(start["args"][0], session)
        self.assertEqual(sources["args"][0], session)
        self.assertEqual(select["args"][1]["types"], 2, "the pointer device")
        self.assertEqual(sources["args"][1]["types"], 1, "the monitors")
        # Version 1 cannot remember a permission: nothing of persistence is asked.
        self.assertNotIn("persist_mode", select["args"][1])
        self.assertNotIn("restore_token", select["args"][1])
        buttons = self.portal.buttons()
        self.assertEqual(buttons[: len(buttons) // 2 * 2], [(RIGHT, 1), (RIGHT, 0)] * (len(buttons) // 2))
        self.assertEqual(self.portal.calls("NotifyPointerMotionAbsolute"), [], "the pointer is never moved")
        self.assertEqual(target.events(), [], "no click went through XTest")
        # The next start of the same program uses the session already allowed.
        self.press()
        wait_for(lambda: len(self.portal.buttons()) > stopped_at, 10, what="clicks of the second run")
        self.press()
        self.assertEqual(len(self.portal.calls("Start")), 1)

    def test_a_held_down_run_presses_once_and_the_stop_lets_go(self):
        self.start(mouse_data(click_type=2))
        self.press()
        wait_for(lambda: self.portal.buttons(), 10, what="the press")
        time.sleep(0.5)
        self.assertEqual(self.portal.buttons(), [(LEFT, 1)], "held, not pressed again at every tick")
        self.press()
        wait_for(lambda: len(self.portal.buttons()) > 1, 10, what="the release")
        time.sleep(0.3)
        self.assertEqual(self.portal.buttons(), [(LEFT, 1), (LEFT, 0)])

    def test_left_clicks_at_a_fixed_point_move_in_the_stream_that_shows_it(self):
        # Two monitors side by side: the point lies on the second one's stream.
        self.start(mouse_data(use_fixed=1, x=1003, y=777, use_limit=1, limit=3), "--stream", "0,0,640,1024",
                   "--stream", "640,0,640,1024")
        self.press()
        wait_for(lambda: len(self.portal.buttons()) >= 6, 10, what="three clicks")
        time.sleep(0.5)
        session = self.portal.calls("Start")[0]["args"][0]
        moves = [row["args"] for row in self.portal.calls("NotifyPointerMotionAbsolute")]
        self.assertEqual(moves, [[session, {}, 41, 363.0, 777.0]] * 3)
        self.assertEqual(self.portal.buttons(), [(LEFT, 1), (LEFT, 0)] * 3)
        calls = self.portal.sequence()[4:]
        self.assertEqual(calls, ["RemoteDesktop.NotifyPointerMotionAbsolute", "RemoteDesktop.NotifyPointerButton",
                                 "RemoteDesktop.NotifyPointerButton"] * 3, "each click moves first")

    def test_a_fixed_point_without_a_stream_is_refused_with_a_message(self):
        self.start(mouse_data(use_fixed=1, x=100, y=100), "--no-streams")
        self.press()
        wait_for(lambda: NO_STREAM in self.log_text(), 10, what="the message")
        time.sleep(0.5)
        self.assertEqual(self.portal.buttons(), [], "nothing is clicked elsewhere")
        self.assertEqual(self.portal.calls("NotifyPointerMotionAbsolute"), [])

    def test_a_portal_that_remembers_gets_the_token_back_on_the_next_start(self):
        self.start(mouse_data(use_limit=1, limit=1), "--version", "2")
        self.press()
        wait_for(lambda: self.portal.buttons(), 10, what="the click")
        select = self.portal.calls("SelectDevices")[0]["args"][1]
        self.assertEqual(select.get("persist_mode"), 2)
        self.assertNotIn("restore_token", select)
        stored = wait_for(lambda: (read_store(self.desktop.store_path) or {}).get("portalrestoretoken"), 10,
                          what="the stored token")
        self.assertEqual(stored, (1, "token-1\0".encode("utf-16-le")))
        # A new program's session offers the token; the new one replaces it.
        self.program.process.terminate()
        self.program.process.wait(10)
        self.program = NativeProgram(self.desktop, "zintra-again")
        time.sleep(0.5)
        self.press()
        wait_for(lambda: len(self.portal.calls("SelectDevices")) == 2, 10, what="the second session")
        self.assertEqual(self.portal.calls("SelectDevices")[1]["args"][1].get("restore_token"), "token-1")
        wait_for(lambda: (read_store(self.desktop.store_path) or {}).get("portalrestoretoken") ==
                 (1, "token-2\0".encode("utf-16-le")), 10, what="the new token stored")

    def test_version_one_never_offers_a_stored_token(self):
        token = (1, "old-token\0".encode("utf-16-le"))
        self.start(mouse_data(use_limit=1, limit=1), store={"PortalRestoreToken": token})
        self.press()
        wait_for(lambda: self.portal.buttons(), 10, what="the click")
        select = self.portal.calls("SelectDevices")[0]["args"][1]
        self.assertNotIn("restore_token", select)
        self.assertNotIn("persist_mode", select)
        self.assertEqual(read_store(self.desktop.store_path).get("portalrestoretoken"), token)

    def test_a_refused_permission_is_said_and_nothing_is_clicked(self):
        target = self.start(mouse_data(), "--refuse", "Start")
        self.press()
        wait_for(lambda: REFUSED in self.log_text(), 10, what="the refusal message")
        time.sleep(0.5)
        self.assertEqual(self.portal.buttons(), [])
        self.assertEqual(target.events(), [])
        # The next start asks again, in a new session.
        self.press()
        wait_for(lambda: len(self.portal.calls("CreateSession")) == 2, 10, what="a second request")
        self.assertIsNone(self.program.process.poll())

    def test_a_session_the_desktop_closes_stops_the_run_and_the_next_start_asks_again(self):
        self.start(mouse_data(interval=0.05))
        self.press()
        wait_for(lambda: len(self.portal.buttons()) >= 6, 10, what="clicks")
        self.portal.control("CloseSessions")
        wait_for(lambda: CLOSED in self.log_text(), 10, what="the closed message")
        time.sleep(0.3)
        stopped_at = len(self.portal.buttons())
        time.sleep(0.7)
        self.assertEqual(len(self.portal.buttons()), stopped_at, "clicks went on after the session closed")
        self.assertEqual(self.portal.buttons()[-1][1], 0, "the last click was released")
        self.press()
        wait_for(lambda: len(self.portal.calls("Start")) == 2, 10, what="a new session")
        wait_for(lambda: len(self.portal.buttons()) > stopped_at, 10, what="clicks in the new session")
        self.press()
        self.assertIsNone(self.program.process.poll())

    def test_without_a_portal_the_message_names_what_would_work(self):
        self.desktop.write_store(store_text({"MouseData": (3, mouse_data())}))
        self.program = NativeProgram(self.desktop, "zintra")
        # Said as the program starts, before any run is tried.
        wait_for(lambda: NO_PORTAL in self.log_text(), 10, what="the message at start")
        for way_in in ("xdg-desktop-portal-gnome", "xdg-desktop-portal-kde", "sway"):
            self.assertIn(way_in, self.log_text())
        time.sleep(0.5)
        said = self.log_text().count(NO_PORTAL)
        self.press()
        wait_for(lambda: self.log_text().count(NO_PORTAL) > said, 10, what="the message at the start of a run")
        self.assertIsNone(self.program.process.poll())

    def test_the_desktop_shortcut_is_bound_from_the_hotkey_and_starts_and_stops_clicking(self):
        ctrl_shift = 0x0002 | 0x0004
        self.start(mouse_data(interval=0.05, vk=0x77, modifiers=ctrl_shift), "--desktop-trigger", "Ctrl+Alt+K")
        bind = wait_for(lambda: self.portal.calls("BindShortcuts", "GlobalShortcuts"), 10,
                        what="the shortcut bound")[0]["args"]
        create, = self.portal.calls("CreateSession", "GlobalShortcuts")
        self.assertEqual(bind[0], f"{PORTAL_PATH}/session/{bind[0].split('/')[-2]}/"
                         f"{create['args'][0]['session_handle_token']}")
        (shortcut_id, details), = bind[1]
        self.assertEqual((shortcut_id, details["preferred_trigger"]), ("start-stop", "CTRL+SHIFT+F8"))
        self.assertTrue(details["description"])
        # The desktop chose other keys: the user is told which, in a notice
        # (here in the log: nobody shows notices on this bus) and beside the hotkey.
        wait_for(lambda: "zintra: notice: 桌面为开始/停止连点设定的快捷键是：Ctrl+Alt+K" in self.log_text(), 10,
                 what="the keys said")
        keys = self.program.control("mainWindow", "txt_desktopkeys", where=lambda c: c.visible)
        self.assertEqual(keys.text, "桌面设定的快捷键：Ctrl+Alt+K")
        self.program.photograph("mainWindow", "desktop-keys.png")
        # The desktop's key works from anywhere: nothing to bind by hand.
        self.assertNotIn(SHORTCUT_NOTICE_LOGGED, self.log_text())
        self.assertNotIn(SHORTCUT_NOTICE_FLAG, read_store(self.desktop.store_path) or {})
        self.portal.control("Activate", "start-stop")
        wait_for(lambda: len(self.portal.buttons()) >= 6, 10, what="clicks started by the shortcut")
        self.portal.control("Activate", "start-stop")
        time.sleep(0.5)
        stopped_at = len(self.portal.buttons())
        time.sleep(0.5)
        self.assertEqual(len(self.portal.buttons()), stopped_at, "the second press stopped clicking")
        self.portal.control("Activate", "another-shortcut")
        time.sleep(0.5)
        self.assertEqual(len(self.portal.buttons()), stopped_at, "only our shortcut counts")

    def test_the_binding_notice_waits_for_the_desktops_answer_and_is_said_only_when_it_refuses(self):
        # The desktop binds the hotkey's own keys: nothing to say, nothing spent.
        self.start(mouse_data(), name="zintra-bound")
        wait_for(lambda: self.portal.calls("BindShortcuts", "GlobalShortcuts"), 10, what="the shortcut bound")
        time.sleep(1.0)
        self.assertNotIn(SHORTCUT_NOTICE_LOGGED, self.log_text())
        self.assertNotIn("zintra: notice:", self.log_text())
        self.assertNotIn(SHORTCUT_NOTICE_FLAG, read_store(self.desktop.store_path) or {})
        self.assertFalse(self.program.control("mainWindow", "txt_desktopkeys").visible, "the same keys: nothing beside")
        self.program.process.terminate()
        self.program.process.wait(10)
        self.portal.stop()
        # A desktop that refuses the binding: the user learns how to bind the command, once.
        self.portal = StandInPortal(self.desktop, "refusing", "--refuse", "BindShortcuts")
        self.program = NativeProgram(self.desktop, "zintra-refused")
        wait_for(lambda: SHORTCUT_NOTICE_LOGGED in self.log_text(), 10, what="the binding notice")
        self.assertIn("zintra: notice: Zintra：热键只在本程序的窗口中有效: 在 Wayland 桌面里", self.log_text())
        wait_for(lambda: SHORTCUT_NOTICE_FLAG in (read_store(self.desktop.store_path) or {}), 10, what="the flag")


if __name__ == "__main__":
    unittest.main()
