"""The native zintra against what other users and other programs on the desktop
may do to it: a shared temporary folder where another user planted the
single-instance lock or a link in its place, a desktop opener that takes its
time, and a tray that sends the icon a nonsense size."""

import os
import pwd
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import (NativeDesktop, NativeProgram, NativeTestCase, X11ClickTarget,  # noqa: E402
                            mouse_data, wait_for)
from test_native_tray import XEmbedTray  # noqa: E402

SEND_EVENT = os.environ.get("ZINTRA_X11_SEND_EVENT")
LOCK_NAME = "zintra-_21087290-410E-487B-9C9A-1389B134A79E_.lock"


class TwoUsers:
    """Two throwaway accounts the test makes and removes, and a sticky shared folder."""

    def __init__(self):
        stamp = f"{os.getpid() % 100000}"
        self.names = [f"zintra-a{stamp}", f"zintra-b{stamp}"]
        for name in self.names:
            subprocess.run(["useradd", "--no-create-home", "--shell", "/usr/sbin/nologin", name], check=True,
                           capture_output=True)
        self.users = [pwd.getpwnam(name) for name in self.names]
        self.root = Path(tempfile.mkdtemp(prefix="zintra-two-users-"))
        os.chmod(self.root, 0o755)
        self.shared = self.root / "shared"
        self.shared.mkdir()
        os.chmod(self.shared, 0o1777)
        self.homes = []
        for user in self.users:
            home = self.root / user.pw_name
            home.mkdir(mode=0o700)
            os.chown(home, user.pw_uid, user.pw_gid)
            self.homes.append(home)

    def as_user(self, index, command):
        user = self.users[index]
        return ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--clear-groups", *command]

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)
        for name in self.names:
            subprocess.run(["userdel", name], capture_output=True)


class ProgramAsUser(NativeProgram):
    """A run of the native zintra as another user; its control map lives in that user's home."""

    def __init__(self, desktop, name, prefix, env, home):
        self.desktop = desktop
        self.name = name
        self.map_path = home / f"{name}.map"
        with open(desktop.dir / f"{name}.log", "ab") as log:
            self.process = subprocess.Popen([*prefix, os.environ["ZINTRA_NATIVE"]],
                                            env=dict(env, ZINTRA_UI_MAP=str(self.map_path)), stdout=log, stderr=log,
                                            start_new_session=True)


@unittest.skipUnless(os.geteuid() == 0, "making users needs root")
class SingleInstanceLockOfAnotherUser(unittest.TestCase):
    """The lock's fallback place in a shared sticky folder (no runtime folder):
    user B plants what they can there before user A starts the program."""

    @classmethod
    def setUpClass(cls):
        cls.desktop = NativeDesktop(cls.__name__)
        cls.users = TwoUsers()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()
        cls.users.close()

    def setUp(self):
        for child in self.users.shared.iterdir():
            subprocess.run(["rm", "-rf", str(child)], check=True)
        self.processes = []

    def tearDown(self):
        # Each started in a session of its own: its whole group goes (flock's sleep too).
        for process in self.processes:
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            process.wait(10)

    def as_b(self, *command):
        subprocess.run(self.users.as_user(1, list(command)), check=True, capture_output=True, timeout=30)

    def start_as_a(self, name):
        """Starts the program as user A; (whether its main window showed, the run)."""
        home = self.users.homes[0]
        env = dict(self.desktop.env, HOME=str(home), XDG_CONFIG_HOME=str(home / "config"),
                   TMPDIR=str(self.users.shared))
        env.pop("XDG_RUNTIME_DIR", None)
        env.pop("XDG_CACHE_HOME", None)
        program = ProgramAsUser(self.desktop, name, self.users.as_user(0, []), env, home)
        self.processes.append(program.process)

        def settled():
            if program.process.poll() is not None:
                return "ended"
            return "shown" if program.window_visible("mainWindow") else None
        return wait_for(settled, 30, what="the main window or the end of the program") == "shown", program.process

    def a_uid(self):
        return self.users.users[0].pw_uid

    def test_a_lock_of_another_user_holding_it_never_stops_the_start(self):
        # B's lock file where A's used to be, and B's folder where A's goes now, both held.
        planted = self.users.shared / f"zintra-{self.a_uid()}"
        self.as_b("mkdir", "-m", "0777", str(planted))
        for lock in (planted / LOCK_NAME, self.users.shared / f"zintra-{self.a_uid()}-{LOCK_NAME[7:]}"):
            self.as_b("sh", "-c", f"touch '{lock}' && chmod 666 '{lock}'")
            holder = subprocess.Popen(self.users.as_user(1, ["flock", "-x", str(lock), "sleep", "120"]),
                                      start_new_session=True)
            self.processes.append(holder)
        time.sleep(0.5)
        shown, first = self.start_as_a("planted-lock")
        self.assertTrue(shown, "the program ended at once behind another user's lock")
        self.assertEqual(sorted(p.name for p in planted.iterdir()), [LOCK_NAME], "nothing of A's went into B's folder")
        # The lock it took instead still keeps a second start of A's out.
        shown, second = self.start_as_a("planted-lock-second")
        self.assertFalse(shown)
        self.assertEqual(second.wait(20), 0)
        self.assertIsNone(first.poll())

    def test_a_planted_link_neither_creates_nor_changes_the_file_it_points_to(self):
        victim_folder = self.users.shared / "b-files"
        self.as_b("mkdir", "-m", "0777", str(victim_folder))
        victim = victim_folder / "keep.txt"
        self.as_b("sh", "-c", f"printf 'B owns this' > '{victim}' && chmod 666 '{victim}'")
        # A's private folder is made by A, but B gets there first with a link to B's own.
        planted = self.users.shared / f"zintra-{self.a_uid()}"
        self.as_b("ln", "-s", str(victim_folder), str(planted))
        # And a link where the lock used to go, to a file not there yet.
        self.as_b("ln", "-s", str(victim_folder / "made.txt"),
                  str(self.users.shared / f"zintra-{self.a_uid()}-{LOCK_NAME[7:]}"))
        shown, _ = self.start_as_a("planted-link")
        self.assertTrue(shown)
        self.assertEqual(sorted(p.name for p in victim_folder.iterdir()), ["keep.txt"])
        self.assertEqual(victim.read_text(), "B owns this")
        self.assertEqual(os.lstat(planted).st_uid, self.users.users[1].pw_uid)

    def test_a_link_to_a_file_another_user_locks_is_not_followed(self):
        victim = self.users.shared / "b-file.txt"
        self.as_b("sh", "-c", f"printf 'B owns this' > '{victim}' && chmod 666 '{victim}'")
        holder = subprocess.Popen(self.users.as_user(1, ["flock", "-x", str(victim), "sleep", "120"]),
                                  start_new_session=True)
        self.processes.append(holder)
        self.as_b("ln", "-s", str(victim), str(self.users.shared / f"zintra-{self.a_uid()}-{LOCK_NAME[7:]}"))
        time.sleep(0.5)
        shown, _ = self.start_as_a("own-folder")
        self.assertTrue(shown)
        folder = self.users.shared / f"zintra-{self.a_uid()}"
        info = os.lstat(folder)
        self.assertEqual((info.st_uid, info.st_mode & 0o777), (self.a_uid(), 0o700))
        self.assertEqual(victim.read_text(), "B owns this")


class SlowDesktopOpener(NativeTestCase):
    """xdg-open stands in as a script that takes 8 s, as a browser starting up may."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.bin = cls.desktop.home / "bin"
        cls.bin.mkdir()
        cls.opened = cls.desktop.home / "opened.txt"
        opener = cls.bin / "xdg-open"
        opener.write_text(f"#!/bin/sh\nprintf '%s\\n' \"$1\" >> '{cls.opened}'\nsleep 8\n")
        opener.chmod(0o755)
        cls.desktop.env["PATH"] = f"{cls.bin}:{os.environ['PATH']}"

    def test_a_link_click_holds_up_neither_the_windows_nor_a_run(self):
        self.desktop.set_mouse_data(mouse_data(interval=0.1))
        target = X11ClickTarget(self.desktop, rect=(700, 500, 1200, 900))
        program = NativeProgram(self.desktop, "slow-opener")
        program.click("mainWindow", "url")
        wait_for(lambda: self.opened.exists() and "http" in self.opened.read_text(), 10, what="the opener to start")
        # The settings window comes at once, not after the opener.
        program.click("mainWindow", "btn_Sett")
        started = time.monotonic()
        program.control("SettingWindow", "*", 5, where=lambda c: c.visible)
        self.assertLess(time.monotonic() - started, 1.0)
        program.click("SettingWindow", "btn_close")
        # A run started now clicks on while the opener still sleeps.
        self.desktop.move_pointer(*target.centre())
        target.focus()
        self.desktop.xdotool("key", "F8")
        time.sleep(1.5)
        self.desktop.xdotool("key", "F8")
        self.assertGreaterEqual(len(target.downs()), 8, target.events())

    def test_without_an_opener_a_link_click_is_said_on_stderr_and_the_program_goes_on(self):
        env = dict(self.desktop.env, PATH="/nonexistent")
        self.desktop.env, saved = env, self.desktop.env
        try:
            program = NativeProgram(self.desktop, "no-opener")
        finally:
            self.desktop.env = saved
        program.click("mainWindow", "url")
        log = self.desktop.dir / "no-opener.log"
        wait_for(lambda: "cannot start xdg-open" in log.read_text(errors="replace"), 10, what="the missing opener line")
        program.click("mainWindow", "btn_Sett")
        program.window("SettingWindow")


def vm_peak_kilobytes(pid):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmPeak:"):
            return int(line.split()[1])
    return 0


class NonsenseTraySize(NativeTestCase):
    """A synthetic ConfigureNotify of 16000x16000 to the docked XEmbed icon (a
    picture of about 1 GB), then an Expose that would paint it."""

    def setUp(self):
        self.desktop.set_mouse_data(mouse_data())
        self.tray = None

    def tearDown(self):
        super().tearDown()
        if self.tray is not None:
            self.tray.stop()

    def check(self, argb):
        self.desktop.env["ZINTRA_TRAY_ARGB"] = "1" if argb else "0"
        self.tray = XEmbedTray(self.desktop, f"tray-{argb}")
        program = NativeProgram(self.desktop, f"huge-{argb}")
        self.tray.docked()
        icon = [line.split()[1] for line in self.tray.lines() if line.startswith("dock ")][-1]
        before = vm_peak_kilobytes(program.process.pid)
        for size in ("16000 16000", "65535 65535", "22 0"):
            subprocess.run([SEND_EVENT, icon, "configure", *size.split()], env=self.desktop.env, check=True, timeout=30)
            subprocess.run([SEND_EVENT, icon, "expose"], env=self.desktop.env, check=True, timeout=30)
        time.sleep(1.0)
        self.assertIsNone(program.process.poll(), "the program died")
        # It still answers: the settings window opens.
        program.click("mainWindow", "btn_Sett")
        program.window("SettingWindow")
        self.assertLess(vm_peak_kilobytes(program.process.pid) - before, 256 * 1024)

    def test_a_composited_tray_icon_ignores_a_nonsense_size(self):
        self.check(True)

    def test_a_plain_tray_icon_ignores_a_nonsense_size(self):
        self.check(False)


if __name__ == "__main__":
    unittest.main(verbosity=2)
