"""Runs the native zintra on a virtual X display for end-to-end tests: each
test class gets its own Xvfb, its own per-user folders (so the store and the
single-instance lock are the test's), a plain X11 window that logs the clicks
it receives, xdotool for keys and the mouse, and screenshots.

Configuration from the environment (CTest sets it): ZINTRA_NATIVE,
ZINTRA_X11_CLICK_TARGET, ZINTRA_X11_CLOSE_WINDOW, ZINTRA_NATIVE_E2E_DIR.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
from gallery_harness import CONVERT, MappedScreen, pixels  # noqa: E402,F401
from wine_harness import VirtualDisplay, summary, wait_for  # noqa: E402,F401

PROGRAM_KEY = "SOFTWARE\\ZintraMouse"


def output_dir():
    path = Path(os.environ.get("ZINTRA_NATIVE_E2E_DIR", Path(tempfile.gettempdir()) / "zintra-native-e2e"))
    path.mkdir(parents=True, exist_ok=True)
    return path


def mouse_data(click_type=0, interval=0.1, vk=0x77, modifiers=0, use_limit=0, limit=0, use_fixed=0, x=0, y=0,
               use_random=0, random_max=1):
    """The 424-byte stored settings record."""
    record = bytearray(424)
    record[0] = use_random
    record[1] = use_fixed
    record[2] = use_limit
    struct.pack_into("<ifIIiiii", record, 8, click_type, interval, vk, modifiers, random_max, x, y, limit)
    return bytes(record)


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


class NativeDesktop:
    """A virtual display and the folders of one test user."""

    def __init__(self, name, width=1280, height=1024):
        self.dir = output_dir() / name
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir.mkdir(parents=True)
        self.display = VirtualDisplay(width, height)
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

    @property
    def store_path(self):
        return self.home / "config" / "zintra" / "store"

    def write_store(self, text):
        self.store_path.parent.mkdir(parents=True, exist_ok=True)
        self.store_path.write_text(text)

    def set_mouse_data(self, record):
        self.write_store(store_text({"MouseData": (3, record)}))

    def start(self, program, *args, log_name=None, env=None):
        with open(self.dir / (log_name or (Path(program).name + ".log")), "ab") as out:
            process = subprocess.Popen([str(program), *map(str, args)], env=env or self.env, stdout=out, stderr=out,
                                       start_new_session=True)
        self.processes.append(process)
        return process

    def run(self, program, *args, timeout=30):
        return subprocess.run([str(program), *map(str, args)], env=self.env, capture_output=True, timeout=timeout)

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, timeout=30,
                              text=True).stdout.strip()

    def move_pointer(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)

    def screenshot(self, name):
        path = self.dir / name
        subprocess.run(["import", "-display", self.display.name, "-window", "root", str(path)], env=self.env,
                       check=True, timeout=30)
        return path

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

    def close(self):
        self.stop_all()
        self.display.close()
        shutil.rmtree(self.home, ignore_errors=True)


class X11ClickTarget:
    """The tests' plain X11 window that logs the button events it receives."""

    def __init__(self, desktop, name="clicks", rect=(0, 0, 640, 480)):
        self.desktop = desktop
        self.log = desktop.dir / f"{name}.txt"
        for path in (self.log, Path(f"{self.log}.rect")):
            path.unlink(missing_ok=True)
        left, top, right, bottom = rect
        self.process = desktop.start(os.environ["ZINTRA_X11_CLICK_TARGET"], self.log, left, top, right - left,
                                     bottom - top, log_name=f"{name}.log")
        rect_file = Path(f"{self.log}.rect")
        wait_for(lambda: rect_file.exists() and rect_file.read_text().strip(), 20, what="click target")
        self.rect = tuple(int(v) for v in rect_file.read_text().split())

    def centre(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2

    def focus(self):
        window = self.desktop.xdotool("search", "--name", "^ZintraClickTarget$").split("\n")[0]
        self.desktop.xdotool("windowfocus", "--sync", window)

    def events(self):
        """[(milliseconds, kind, x, y)] logged so far."""
        if not self.log.exists():
            return []
        events = []
        for line in self.log.read_text().splitlines():
            parts = line.split()
            if len(parts) == 5:
                events.append((float(parts[0]), parts[1], int(parts[2]), int(parts[3])))
        return events

    def states(self):
        """The X modifier state (lock keys included) of every logged event."""
        if not self.log.exists():
            return []
        return [int(line.split()[4]) for line in self.log.read_text().splitlines() if len(line.split()) == 5]

    def downs(self, kind=None):
        return [e for e in self.events() if e[1].endswith("D") and (kind is None or e[1] == kind)]

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


class NativeProgram(MappedScreen):
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
        self.process = desktop.start(*wrapper, exe or os.environ["ZINTRA_NATIVE"], *args, log_name=f"{name}.log",
                                     env=env)
        if wait_for_window:
            self.window(wait_for_window)

    def window(self, window, timeout=20):
        frame = self.control(window, "*", timeout, where=lambda c: c.visible)
        time.sleep(0.3)
        return frame

    def window_visible(self, window):
        frame = self.controls().get((window, "*"))
        return frame is not None and frame.visible

    def click_at(self, x, y, button=1):
        self.desktop.xdotool("mousemove", "--sync", x, y)
        time.sleep(0.1)
        self.desktop.xdotool("click", str(button))
        time.sleep(0.3)

    def click(self, window, name):
        self.click_at(*self.control(window, name, where=lambda c: c.visible).centre)

    def choose(self, window, combo, index):
        """Opens a combo box and clicks entry `index` of its list (1-pixel border, 22-pixel rows)."""
        box = self.control(window, combo, where=lambda c: c.visible)
        self.click_at(*box.centre)
        time.sleep(0.3)
        self.click_at(box.left + 20, box.bottom + 1 + index * 22 + 11)

    def close(self, title="Zintra"):
        """The window manager's close request to the window with that title."""
        return self.desktop.run(os.environ["ZINTRA_X11_CLOSE_WINDOW"], title).returncode == 0

    def exit_code(self, timeout=20):
        return self.process.wait(timeout)


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
