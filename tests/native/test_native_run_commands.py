"""`zintra --toggle`, `--start` and `--stop` from a second process, as a
desktop shortcut runs them: they reach the running instance over the socket
beside its lock and act as the start/stop hotkey (clicks counted by a plain
X11 window), start or stop only when that changes something, open no window
(they run without a display) and touch no store; with no instance running
they end with code 2 and one line on stderr. And the notice on binding
`zintra --toggle` to a desktop shortcut: shown once, as a desktop notice,
on the first start in a Wayland session, never in an X11 session."""

import os
import shutil
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeProgram, NativeTestCase, X11ClickTarget, mouse_data, read_store, wait_for  # noqa: E402
from test_native_tray import BusPeer, SessionBusTestCase  # noqa: E402

NOT_RUNNING = "zintra：Zintra 没有在运行，命令没有执行\n"
NOTICE_TITLE = "Zintra：热键只在本程序的窗口中有效"


def folder_files(path):
    return sorted(str(p.relative_to(path)) for p in path.rglob("*")) if path.exists() else []


class NativeRunCommands(NativeTestCase):
    def setUp(self):
        self.desktop.env.pop("WAYLAND_DISPLAY", None)
        self.desktop.env["XDG_SESSION_TYPE"] = "x11"
        # A store of its own for the command's process: it must stay empty.
        self.command_home = Path(tempfile.mkdtemp(prefix="zintra-command-"))
        self.addCleanup(shutil.rmtree, self.command_home, ignore_errors=True)

    def command(self, option):
        """Runs `zintra <option>` as a shortcut would, without a display: it cannot open a window."""
        env = dict(self.desktop.env, XDG_CONFIG_HOME=str(self.command_home / "config"),
                   HOME=str(self.command_home))
        env.pop("DISPLAY")
        saved, self.desktop.env = self.desktop.env, env
        try:
            result = self.desktop.run(os.environ["ZINTRA_NATIVE"], option)
        finally:
            self.desktop.env = saved
        self.assertEqual(folder_files(self.command_home), [], f"{option} touched no store")
        return result

    def sent(self, option):
        result = self.command(option)
        self.assertEqual((result.returncode, result.stdout, result.stderr), (0, b"", b""), option)

    def clicking(self, target, seconds=0.6):
        """Whether clicks arrive within `seconds`."""
        before = len(target.downs())
        time.sleep(seconds)
        return len(target.downs()) > before

    def test_the_commands_start_and_stop_clicking_as_the_hotkey_does(self):
        self.desktop.set_mouse_data(mouse_data(interval=0.1))
        target = X11ClickTarget(self.desktop)
        program = NativeProgram(self.desktop, "commands")
        self.desktop.move_pointer(*target.centre())

        self.sent("--stop")
        self.assertFalse(self.clicking(target), "stopping while stopped does nothing")

        self.sent("--toggle")
        wait_for(lambda: len(target.downs()) >= 3, 10, what="clicks after --toggle")
        self.sent("--toggle")
        time.sleep(0.3)
        self.assertFalse(self.clicking(target), "the second --toggle stopped them")

        self.sent("--start")
        wait_for(lambda: self.clicking(target, 0.3), 10, what="clicks after --start")
        self.sent("--start")
        first = len(target.downs())
        time.sleep(2.0)
        times = [t for t, *_ in target.downs()[first:]]
        gaps = [b - a for a, b in zip(times, times[1:])]
        self.assertGreaterEqual(len(gaps), 8)
        self.assertGreater(sorted(gaps)[len(gaps) // 2], 60, "one run at its pace, not two")
        self.sent("--stop")
        time.sleep(0.3)
        self.assertFalse(self.clicking(target), "one --stop ends the one run")

        self.assertIsNone(program.process.poll(), "the instance goes on")

    def test_a_command_with_no_instance_running_ends_with_code_two_and_one_line(self):
        for option in ("--toggle", "--start", "--stop"):
            with self.subTest(option=option):
                result = self.command(option)
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stderr.decode("utf-8"), NOT_RUNNING)
                self.assertEqual(result.stdout, b"")
        self.assertEqual(self.desktop.xdotool("search", "--name", "^Zintra$"), "", "nothing started")

    def test_help_lists_the_commands_and_their_exit_code(self):
        result = self.command("--help")
        text = result.stdout.decode("utf-8")
        for option in ("--toggle", "--start", "--stop"):
            self.assertRegex(text, rf"\n  {option} +\S")
        self.assertIn("退出码 2", text)


class NativeShortcutNotice(SessionBusTestCase):
    """Desktop notices go to the tests' notification server on a private bus."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.desktop.env.pop("WAYLAND_DISPLAY", None)

    def setUp(self):
        self.desktop.clear_settings()
        self.notices = BusPeer(self.desktop, "notifications", f"notices-{self._testMethodName}")
        self.addCleanup(self.notices.stop)

    def start(self, name, session):
        saved, self.desktop.env = self.desktop.env, dict(self.desktop.env, XDG_SESSION_TYPE=session)
        try:
            program = NativeProgram(self.desktop, name)
        finally:
            self.desktop.env = saved
        time.sleep(1.5)  # the notice goes out once the window shows
        return program

    def shortcut_notices(self):
        return [n for n in self.notices.entries("notify") if n["summary"] == NOTICE_TITLE]

    def stored_flag(self):
        return (read_store(self.desktop.store_path) or {}).get("shortcutnoticeshown")

    def test_the_first_wayland_start_tells_how_to_bind_the_command_and_the_next_does_not(self):
        self.start("wayland-first", "wayland")
        notices = wait_for(self.shortcut_notices, 10, what="the shortcut notice")
        self.assertIn("zintra --toggle", notices[0]["body"])
        for where in ("GNOME", "KDE", "bindsym"):
            self.assertIn(where, notices[0]["body"])
        self.assertEqual(self.stored_flag(), (4, b"\1\0\0\0"))
        self.desktop.stop_all()
        self.start("wayland-second", "wayland")
        self.assertEqual(len(self.shortcut_notices()), 1, "said once")

    def test_an_x11_session_never_shows_it(self):
        for name in ("x11-first", "x11-second"):
            self.start(name, "x11")
            self.desktop.stop_all()
        self.assertEqual(self.shortcut_notices(), [])
        self.assertIsNone(self.stored_flag())


if __name__ == "__main__":
    unittest.main(verbosity=2)
