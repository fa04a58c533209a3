"""The Wine adapter: runs the real zintra.exe under Wine on a virtual X display.

One Wine prefix serves every test of a run (creating one takes several seconds);
each test class gets its own Xvfb display and ends with the prefix's wineserver
stopped, which also writes the registry to disk. Only processes started here are
ever stopped.

Configuration comes from the environment (CTest sets it):
  ZINTRA_EXE            path of zintra.exe
  ZINTRA_CLICK_TARGET   path of click_target.exe
  ZINTRA_POST_MESSAGE   path of post_message.exe
  ZINTRA_E2E_DIR        folder for the shared prefix, logs and screenshots
"""

import fcntl
import os
import shutil
import signal
import subprocess
import unittest
from pathlib import Path

from harness.clicks import ClickTarget as LoggingClickTarget
from harness.desktop import VirtualDisplay, XDesktop, output_dir
from harness.screen import MappedProgram

REG_EXE = r"C:\windows\system32\reg.exe"
PROGRAM_KEY = r"HKCU\SOFTWARE\ZintraMouse"
# The registry's type names by the numbers the native store uses for them.
VALUE_TYPES = {"REG_SZ": 1, "REG_EXPAND_SZ": 2, "REG_BINARY": 3, "REG_DWORD": 4, "REG_MULTI_SZ": 7}
WM_CLOSE = 0x0010
WM_COMMAND = 0x0111


def e2e_dir():
    return output_dir("ZINTRA_E2E_DIR", "zintra-e2e")


def program_path():
    return os.environ["ZINTRA_EXE"]


class WineDesktop(XDesktop):
    """A virtual display plus the run's shared Wine prefix. A test that needs
    another screen density names a prefix of its own, made with
    HKCU\\Control Panel\\Desktop\\LogPixels at `log_pixels` (96 is scale 1)."""

    def __init__(self, width=1280, height=1024, prefix_name="prefix", log_pixels=None):
        self.dir = e2e_dir()
        self.prefix = self.dir / prefix_name
        self.log_pixels = log_pixels
        self.display = VirtualDisplay(width, height)
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": str(self.prefix),
            "DISPLAY": self.display.name,
            "WINEDEBUG": "-all",
            # No Mono or Gecko installers: the prefix must come up without dialogs.
            "WINEDLLOVERRIDES": "mscoree=;mshtml=",
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
        })
        # Servers the program talks to: a loopback port that refuses at once,
        # unless a test points them at a server of its own.
        self.env.setdefault("ZINTRA_UPDATE_URL", "http://127.0.0.1:9/update/update.json")
        self.env.setdefault("ZINTRA_REPORT_URL", "http://127.0.0.1:9/data.html")
        self.processes = []
        self._ensure_prefix()

    # ---- set-up ----

    def _ensure_prefix(self):
        with open(self.dir / f"{self.prefix.name}.lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if (self.prefix / ".zintra-ready").exists():
                return
            shutil.rmtree(self.prefix, ignore_errors=True)
            subprocess.run(["wineboot", "-i"], env=self.env, check=True, timeout=180,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            # Without a window manager, hiding a window stalls unless Wine manages none.
            self.reg("add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/t", "REG_SZ", "/d", "N", "/f")
            # Chinese texts need a CJK face behind the layouts' default font.
            self.reg("add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", "微软雅黑", "/t", "REG_SZ",
                     "/d", "WenQuanYi Micro Hei", "/f")
            self.reg("add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink",
                     "/v", "Liberation Sans", "/t", "REG_MULTI_SZ", "/d", "wqy-microhei.ttc,WenQuanYi Micro Hei", "/f")
            if self.log_pixels is not None:
                # Wine reads the density when its server starts: stop_wine below restarts it.
                self.reg("add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                         "/d", str(self.log_pixels), "/f")
            self.stop_wine()
            (self.prefix / ".zintra-ready").touch()

    # ---- programs ----

    def start(self, exe, *args, log_name=None):
        with open(self.dir / (log_name or (Path(exe).stem + ".log")), "ab") as out:
            process = subprocess.Popen(["wine", str(exe), *map(str, args)], env=self.env, stdout=out,
                                       stderr=out, start_new_session=True)
        self.processes.append(process)
        return process

    def run(self, exe, *args, timeout=60):
        return subprocess.run(["wine", str(exe), *map(str, args)], env=self.env, timeout=timeout,
                              capture_output=True)

    def stop_wine(self):
        """Ends every program of the prefix; the registry is written to disk."""
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for process in self.processes:
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
        self.processes.clear()

    stop_programs = stop_wine

    def close(self):
        self.stop_wine()
        self.display.close()

    # ---- registry ----

    def reg(self, *args):
        result = subprocess.run(["wine", REG_EXE, *args], env=self.env, capture_output=True, timeout=60)
        return result.returncode, result.stdout.decode("utf-8", "replace")

    def set_mouse_data(self, data: bytes):
        code, out = self.reg("add", PROGRAM_KEY, "/v", "MouseData", "/t", "REG_BINARY", "/d", data.hex(), "/f")
        if code != 0:
            raise RuntimeError(f"reg add failed: {out}")

    def delete_mouse_data(self):
        self.reg("delete", PROGRAM_KEY, "/v", "MouseData", "/f")

    clear_settings = delete_mouse_data

    def stored_mouse_data(self):
        """(type number, bytes) of the stored MouseData, or None."""
        value = self.query_value(PROGRAM_KEY, "MouseData")
        if value is None:
            return None
        kind, text = value
        data = bytes.fromhex(text) if kind == "REG_BINARY" else text.encode()
        return VALUE_TYPES.get(kind, kind), data

    def query_value(self, key, name):
        """Returns (type, data text) of a value, or None."""
        code, out = self.reg("query", key, "/v", name)
        if code != 0:
            return None
        for line in out.splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower():
                return parts[1], (parts[2].strip() if len(parts) > 2 else "")
        return None

    def stored_text(self, key, name):
        """A REG_SZ value as the prefix's user.reg holds it (after stop_wine), or
        None. reg.exe cannot print text outside the console's code page."""
        path = self.prefix / "user.reg"
        section = "[" + key.split("\\", 1)[1].replace("\\", "\\\\") + "]"
        current = None
        for line in path.read_text(encoding="utf-8", errors="replace").splitlines():
            if line.startswith("["):
                current = line.split("]")[0] + "]"
                continue
            if current and current.lower() == section.lower() and line.startswith(f'"{name}"='):
                raw = line.split("=", 1)[1]
                if not raw.startswith('"'):
                    return None
                return _unescape_registry_text(raw[1:-1])
        return None


def _unescape_registry_text(text):
    out = []
    i = 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            follower = text[i + 1]
            if follower == "x":
                j = i + 2
                while j < len(text) and j < i + 6 and text[j] in "0123456789abcdefABCDEF":
                    j += 1
                out.append(chr(int(text[i + 2:j], 16)))
                i = j
                continue
            out.append({"n": "\n", "t": "\t", "0": "\0"}.get(follower, follower))
            i += 2
            continue
        out.append(text[i])
        i += 1
    return "".join(out)


class WineTestCase(unittest.TestCase):
    """Tests that share one desktop per class; every test ends with all programs
    of the prefix stopped, so the next starts from the stored state alone."""

    @classmethod
    def setUpClass(cls):
        cls.desktop = WineDesktop()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()

    def tearDown(self):
        self.desktop.stop_wine()


class ClickTarget(LoggingClickTarget):
    """The tests' Win32 window that logs the button messages it receives."""

    def launch(self, name, rect):
        return self.desktop.start(os.environ["ZINTRA_CLICK_TARGET"], self.log, *rect, log_name=f"{name}.wine.log")


class Program(MappedProgram):
    """One run of zintra.exe (or `exe`, another build of it) under Wine."""

    window_timeout = 30

    def __init__(self, desktop, name="zintra", *args, wait_for_window="mainWindow", exe=None):
        self.desktop = desktop
        self.name = name
        self.map_path = desktop.dir / f"{name}.map"
        self.map_path.unlink(missing_ok=True)
        before = desktop.env.get("ZINTRA_UI_MAP")
        desktop.env["ZINTRA_UI_MAP"] = self.wine_path(self.map_path)
        try:
            self.process = desktop.start(exe or program_path(), *args, log_name=f"{name}.log")
        finally:
            if before is None:
                desktop.env.pop("ZINTRA_UI_MAP", None)
            else:
                desktop.env["ZINTRA_UI_MAP"] = before
        if wait_for_window:
            self.window(wait_for_window)

    def post(self, message, wparam=0, lparam=0, window_class="ZUIHOST", title="Zintra"):
        result = self.desktop.run(os.environ["ZINTRA_POST_MESSAGE"], window_class, title, str(message), str(wparam),
                                  str(lparam), timeout=30)
        return result.returncode == 0

    def close(self):
        """The system's close request to the main window."""
        return self.post(WM_CLOSE)


# Facts the shared tests ask of the system under test.
NAME = "wine"
TestCase = WineTestCase
# Wine may put a click one pixel off the point asked for.
POSITION_SLACK = 1
# Lock keys turned on one more at a time while a hotkey is tried: Wine's
# hotkeys follow the focused window's key events, so no lock key is tried.
LOCK_STEPS = [(None, 0)]
# Pictures the tests save start with this, so both systems' can lie side by side.
PICTURE_PREFIX = ""


class HiddenStartTray:
    """Wine's own tray shows the icon: a start with -auto stays hidden as it is."""

    def __init__(self, desktop):
        pass

    def stop(self):
        pass
