"""Runs the real zintra.exe under Wine on a virtual X display for end-to-end tests.

One Wine prefix serves every test of a run (creating one takes several seconds);
each test class gets its own Xvfb display and ends with the prefix's wineserver
stopped, which also writes the registry to disk. Only processes started here are
ever stopped.

Configuration comes from the environment (CTest sets it):
  ZINTRA_EXE            path of zintra.exe
  ZINTRA_CLICK_TARGET   path of click_target.exe
  ZINTRA_E2E_DIR        folder for the shared prefix, logs and screenshots
"""

import fcntl
import os
import shutil
import signal
import statistics
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

REG_EXE = r"C:\windows\system32\reg.exe"
PROGRAM_KEY = r"HKCU\SOFTWARE\ZintraMouse"


def e2e_dir():
    path = Path(os.environ.get("ZINTRA_E2E_DIR", Path(tempfile.gettempdir()) / "zintra-e2e"))
    path.mkdir(parents=True, exist_ok=True)
    return path


def wait_for(predicate, timeout, interval=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(interval)
    raise TimeoutError(f"timed out after {timeout}s waiting for {what}")


class VirtualDisplay:
    """An Xvfb server on a display number it picks itself. With `keep` it
    keeps its state (monitors set with xrandr) when its last client leaves."""

    def __init__(self, width=1280, height=1024, keep=False):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp",
             *(["-noreset"] if keep else [])],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = f":{number}"
        self.size = (width, height)

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()


class WineDesktop:
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

    # ---- X input and pictures ----

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, timeout=30,
                              text=True).stdout.strip()

    def find_window(self, title, timeout=20):
        return wait_for(lambda: self.xdotool("search", "--name", f"^{title}$").split("\n")[0], timeout,
                        what=f"window {title!r}")

    def press_keys(self, window, *keys):
        """Focuses a Wine window (hotkeys need one to hold the keyboard focus), then types."""
        self.xdotool("windowfocus", "--sync", window)
        for key in keys:
            self.xdotool("key", key)

    def move_pointer(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)

    def screenshot(self, name):
        path = self.dir / name
        subprocess.run(["import", "-display", self.display.name, "-window", "root", str(path)],
                       env=self.env, check=True, timeout=30)
        return path


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


class ClickTarget:
    """The tests' Win32 window that logs the button messages it receives."""

    def __init__(self, desktop, name="clicks", rect=(0, 0, 640, 480)):
        self.desktop = desktop
        self.log = desktop.dir / f"{name}.txt"
        for path in (self.log, Path(f"{self.log}.rect")):
            path.unlink(missing_ok=True)
        exe = os.environ["ZINTRA_CLICK_TARGET"]
        self.process = desktop.start(exe, self.log, *rect, log_name=f"{name}.wine.log")
        rect_file = Path(f"{self.log}.rect")
        wait_for(lambda: rect_file.exists() and rect_file.read_text().strip(), 30, what="click target")
        self.rect = tuple(int(v) for v in rect_file.read_text().split())
        self.window = desktop.find_window("ZintraClickTarget")

    def centre(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2

    def events(self):
        """[(milliseconds, kind, x, y)] logged so far."""
        if not self.log.exists():
            return []
        events = []
        for line in self.log.read_text().splitlines():
            parts = line.split()
            if len(parts) == 4:
                events.append((float(parts[0]), parts[1], int(parts[2]), int(parts[3])))
        return events

    def downs(self, kind=None):
        return [e for e in self.events() if e[1].endswith("D") and (kind is None or e[1] == kind)]


def periods(times):
    return [b - a for a, b in zip(times, times[1:])]


def summary(times):
    """Clicks per second, median and 99th percentile period in ms."""
    gaps = sorted(periods(times))
    if not gaps:
        return 0.0, 0.0, 0.0
    rate = 1000.0 * len(gaps) / (times[-1] - times[0]) if times[-1] > times[0] else 0.0
    p99 = gaps[min(len(gaps) - 1, int(round(0.99 * (len(gaps) - 1))))]
    return rate, statistics.median(gaps), p99
