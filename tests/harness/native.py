"""The native adapter: runs the native zintra on a virtual X display. Each
test class gets its own Xvfb and its own per-user folders (so the store and
the single-instance lock are the test's); clicks are counted by a plain X11
window that also logs the X modifier state, so hotkeys are tried with the
lock keys on.

Configuration from the environment (CTest sets it): ZINTRA_NATIVE,
ZINTRA_X11_CLICK_TARGET, ZINTRA_X11_CLOSE_WINDOW, ZINTRA_NATIVE_E2E_DIR.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from harness.clicks import ClickTarget as LoggingClickTarget
from harness.desktop import VirtualDisplay, XDesktop, output_dir, wait_for
from harness.screen import MappedProgram

PROGRAM_KEY = "SOFTWARE\\ZintraMouse"


def native_output_dir():
    return output_dir("ZINTRA_NATIVE_E2E_DIR", "zintra-native-e2e")


def program_path():
    return os.environ["ZINTRA_NATIVE"]


def _escape(text):
    out = []
    for byte in text.encode("utf-8"):
        out.append(f"%{byte:02X}" if byte <= 0x20 or byte in (0x25, 0x7F) else chr(byte))
    return "".join(out) or "%"


def store_text(values):
    """A store file holding {name: (type, bytes)} under the program's key."""
    lines = ["zintra-store 1", f"key {_escape(PROGRAM_KEY)}"]
    for name, (kind, data) in values.items():
        lines.append(f"value {_escape(name)} {kind} {data.hex() or '-'}")
    lines.append(f"end 1 {len(values)}")
    return "\n".join(lines) + "\n"


def read_store(path):
    """{name lower-cased: (type, bytes)} of the program's key, or None without a store."""
    if not path.exists():
        return None
    values = {}
    for line in path.read_text().splitlines():
        parts = line.split(" ")
        if parts[0] == "value" and len(parts) == 4:
            values[parts[1].lower()] = (int(parts[2]), b"" if parts[3] == "-" else bytes.fromhex(parts[3]))
    return values


class NativeDesktop(XDesktop):
    """A virtual display and the folders of one test user."""

    def __init__(self, name, width=1280, height=1024, keep=False):
        self.dir = native_output_dir() / name
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir.mkdir(parents=True)
        self.display = VirtualDisplay(width, height, keep)
        self.home = Path(tempfile.mkdtemp(prefix="zintra-native-home-"))
        (self.home / "runtime").mkdir(mode=0o700)
        self.env = dict(os.environ)
        self.env.update({
            "DISPLAY": self.display.name,
            "HOME": str(self.home),
            "XDG_CONFIG_HOME": str(self.home / "config"),
            "XDG_RUNTIME_DIR": str(self.home / "runtime"),
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            # Servers the program talks to: a loopback port that refuses at once.
            "ZINTRA_UPDATE_URL": "http://127.0.0.1:9/update/update.json",
            "ZINTRA_REPORT_URL": "http://127.0.0.1:9/data.html",
        })
        self.env.pop("ZINTRA_UI_MAP", None)
        # No session bus unless a test starts its own: never the developer's desktop.
        self.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.processes = []

    # ---- the store ----

    @property
    def store_path(self):
        return self.home / "config" / "zintra" / "store"

    def write_store(self, text):
        self.store_path.parent.mkdir(parents=True, exist_ok=True)
        self.store_path.write_text(text)

    def set_mouse_data(self, record):
        self.write_store(store_text({"MouseData": (3, record)}))

    def clear_settings(self):
        self.store_path.unlink(missing_ok=True)

    def stored_mouse_data(self):
        """(type number, bytes) of the stored MouseData, or None."""
        return (read_store(self.store_path) or {}).get("mousedata")

    # ---- programs ----

    def start(self, program, *args, log_name=None, env=None):
        with open(self.dir / (log_name or (Path(program).name + ".log")), "ab") as out:
            process = subprocess.Popen([str(program), *map(str, args)], env=env or self.env, stdout=out, stderr=out,
                                       start_new_session=True)
        self.processes.append(process)
        return process

    def run(self, program, *args, timeout=30):
        return subprocess.run([str(program), *map(str, args)], env=self.env, capture_output=True, timeout=timeout)

    def stop_all(self):
        for process in self.processes:
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(5)
        self.processes = []

    stop_programs = stop_all

    def close(self):
        self.stop_all()
        self.display.close()
        shutil.rmtree(self.home, ignore_errors=True)


def bus_config(listen):
    """A session bus configuration that lets the tests watch every message; `listen` its address."""
    return f"""<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>{listen}</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class PrivateSessionBus:
    """A dbus-daemon of the test's own."""

    def __init__(self):
        out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                             capture_output=True, text=True, check=True, timeout=30).stdout.split()
        self.address, self.pid = out[0], int(out[1])

    def close(self):
        try:
            os.kill(self.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass


class X11ClickTarget(LoggingClickTarget):
    """The tests' plain X11 window that logs the button events it receives."""

    def launch(self, name, rect):
        left, top, right, bottom = rect
        return self.desktop.start(os.environ["ZINTRA_X11_CLICK_TARGET"], self.log, left, top, right - left,
                                  bottom - top, log_name=f"{name}.log")

    def press_around(self, key="F8", seconds=1.0):
        """With the pointer on this window and the focus in it, presses `key`,
        waits `seconds` and presses it again; the button presses logged."""
        self.desktop.move_pointer(*self.centre())
        self.focus()
        self.desktop.xdotool("key", key)
        time.sleep(seconds)
        self.desktop.xdotool("key", key)
        time.sleep(0.3)
        return self.downs()


class NativeProgram(MappedProgram):
    """One run of the native zintra; its windows are named as in their layouts."""

    def __init__(self, desktop, name="zintra", *args, wait_for_window="mainWindow", exe=None, wrapper=()):
        """`exe` replaces the program under test (another build of it);
        `wrapper` is a command that runs it (its arguments follow)."""
        self.desktop = desktop
        self.name = name
        self.map_path = desktop.dir / f"{name}.map"
        self.map_path.unlink(missing_ok=True)
        self.log_path = desktop.dir / f"{name}.log"  # its standard output and error
        env = dict(desktop.env, ZINTRA_UI_MAP=str(self.map_path))
        self.process = desktop.start(*wrapper, exe or program_path(), *args, log_name=f"{name}.log", env=env)
        if wait_for_window:
            self.window(wait_for_window)

    def close(self, title="Zintra"):
        """The window manager's close request to the window with that title."""
        return self.desktop.run(os.environ["ZINTRA_X11_CLOSE_WINDOW"], title).returncode == 0


class NativeTestCase(unittest.TestCase):
    """Tests that share one display per class; every test ends with its programs stopped."""

    @classmethod
    def setUpClass(cls):
        cls.desktop = NativeDesktop(cls.__name__)

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()

    def tearDown(self):
        self.desktop.stop_all()


# Facts the shared tests ask of the system under test.
NAME = "native"
TestCase = NativeTestCase
ClickTarget = X11ClickTarget
Program = NativeProgram
# XTest puts a click exactly on the point asked for.
POSITION_SLACK = 0
# Lock keys turned on one more at a time (with the modifier bits they set): the
# hotkey is grabbed once per lock-key combination, so each must be tried.
LOCK_STEPS = [(None, 0), ("Num_Lock", 0x10), ("Caps_Lock", 0x10 | 0x02)]
# Pictures the tests save start with this, so both systems' can lie side by side.
PICTURE_PREFIX = "native-"


class ManagedTestCase(NativeTestCase):
    """The same with Openbox managing the display's windows for the whole class."""

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


class XEmbedTray:
    """The tests' stand-in for an XEmbed system tray (x11_tray_manager.c), a blue strip at the top right."""
    PANEL = (0x33, 0x66, 0x99)

    def __init__(self, desktop, name="tray"):
        self.log = desktop.dir / f"{name}.txt"
        self.log.unlink(missing_ok=True)
        self.process = desktop.start(os.environ["ZINTRA_X11_TRAY_MANAGER"], self.log, 1000, 0, 200, 30,
                                     log_name=f"{name}.log")
        wait_for(lambda: any(line.startswith("ready ") for line in self.lines()), 20, what="the test tray")

    def lines(self):
        return self.log.read_text().split("\n") if self.log.exists() else []

    def docked(self, count=1):
        """(left, top, width, height) of the last docked icon once `count` have docked."""
        docks = wait_for(lambda: len([l for l in self.lines() if l.startswith("dock ")]) >= count and
                         [l for l in self.lines() if l.startswith("dock ")], 20, what="the icon to dock")
        return tuple(int(v) for v in docks[-1].split()[2:6])

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)


class HiddenStartTray:
    """What lets a start with -auto stay hidden: natively a tray to show the
    icon (without one the window shows, or the program could not be reached)."""

    def __init__(self, desktop):
        self.tray = XEmbedTray(desktop, "hidden-start-tray")

    def stop(self):
        self.tray.stop()
