"""A headless sway session for the Wayland end-to-end tests: sway with
Xwayland, run with the program and the test clients as the unprivileged user
`zintra-wl` (sway refuses root), test windows floated at known places by the
session's configuration, grim for screenshots.

Wayland-native clicks are counted by tests/wayland/wl_click_counter.c
(ZINTRA_WL_CLICK_COUNTER), X11 ones by the native tests' X11 target."""

import os
import pwd
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

from harness.desktop import wait_for
from harness.native import NativeDesktop, X11ClickTarget, bus_config

USER = "zintra-wl"
SIZE = (1280, 800)
WL_COUNTER_TITLE = "ZintraWaylandCounter"


def test_user():
    """The unprivileged user's (uid, gid), made the first time."""
    try:
        entry = pwd.getpwnam(USER)
    except KeyError:
        subprocess.run(["useradd", "-m", USER], check=True, capture_output=True)
        entry = pwd.getpwnam(USER)
    return entry.pw_uid, entry.pw_gid


def _chown_tree(path, uid, gid):
    for root, folders, files in os.walk(path):
        os.chown(root, uid, gid)
        for name in files:
            os.chown(os.path.join(root, name), uid, gid)


class SwayDesktop(NativeDesktop):
    """sway on a headless output with Xwayland; `windows` maps a window title
    (X11) or app id (Wayland) to the (left, top) it floats at."""

    def __init__(self, name, windows=None):
        from harness.native import native_output_dir
        self.uid, self.gid = test_user()
        self.dir = native_output_dir() / name
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir.mkdir(parents=True)
        self.home = Path(tempfile.mkdtemp(prefix="zintra-wl-home-"))
        self.runtime = self.home / "runtime"
        self.runtime.mkdir(mode=0o700)
        self.config = self.home / "sway.conf"
        self.config.write_text(self._config(windows or {}))
        _chown_tree(self.home, self.uid, self.gid)
        _chown_tree(self.dir, self.uid, self.gid)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": str(self.home),
            "USER": USER,
            "XDG_CONFIG_HOME": str(self.home / "config"),
            "XDG_RUNTIME_DIR": str(self.runtime),
            "XDG_SESSION_TYPE": "wayland",
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            "ZINTRA_UPDATE_URL": "http://127.0.0.1:9/update/update.json",
            "ZINTRA_REPORT_URL": "http://127.0.0.1:9/data.html",
        }
        self.processes = []
        self.sway = self.start("sway", "-c", self.config, log_name="sway.log",
                               env=dict(self.env, WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1",
                                        WLR_RENDERER="pixman"))
        self.processes.remove(self.sway)
        try:
            self._wait_until_ready()
        except BaseException:
            self.close()  # a session that did not come up leaves nothing running
            raise
        # No pointer device yet: the seat has a pointer once the program's virtual one exists.

    def _wait_until_ready(self):
        sockets = lambda: sorted(self.runtime.glob("sway-ipc.*.sock")) and sorted(self.runtime.glob("wayland-*[0-9]"))
        wait_for(sockets, 30, what="sway's sockets")
        self.env["WAYLAND_DISPLAY"] = sorted(self.runtime.glob("wayland-*[0-9]"))[0].name
        self.env["SWAYSOCK"] = str(sorted(self.runtime.glob("sway-ipc.*.sock"))[0])
        # Xwayland starts with the session (`xwayland force`); sway knows its display.
        shown = self.home / "display"
        self.swaymsg("exec", f"echo $DISPLAY > {shown}")
        wait_for(lambda: shown.exists() and shown.read_text().strip(), 30, what="Xwayland's display")
        self.env["DISPLAY"] = shown.read_text().strip()
        self.display = self
        self.name = self.env["DISPLAY"]
        self.size = SIZE
        wait_for(lambda: self.run("xdotool", "getmouselocation").returncode == 0, 30, what="Xwayland")
        # Xwayland takes its keymap as the first key arrives, which that key may not survive.
        self.xdotool("key", "shift")

    @staticmethod
    def _config(windows):
        lines = [f"output HEADLESS-1 resolution {SIZE[0]}x{SIZE[1]} position 0 0", "xwayland force",
                 "focus_follows_mouse no", "default_border none", "default_floating_border none"]
        for title, (left, top) in windows.items():
            for criterion in ("title", "app_id"):
                lines.append(f'for_window [{criterion}="^{title}$"] floating enable, move absolute position {left} {top}')
        return "\n".join(lines) + "\n"

    def start_session_bus(self):
        """A session bus of the user's that starts no service on demand; its address."""
        config = self.home / "bus.conf"
        config.write_text(bus_config(f"unix:dir={self.runtime}"))
        os.chown(config, self.uid, self.gid)
        out = self.run("dbus-daemon", f"--config-file={config}", "--fork", "--print-address=1", "--print-pid=1")
        address, pid = out.stdout.decode().split()
        self.bus_pid = int(pid)
        return address

    def start(self, program, *args, log_name=None, env=None):
        return super().start("setpriv", f"--reuid={self.uid}", f"--regid={self.gid}", "--init-groups", program, *args,
                             log_name=log_name or (Path(program).name + ".log"), env=env)

    def run(self, program, *args, timeout=30):
        return subprocess.run(["setpriv", f"--reuid={self.uid}", f"--regid={self.gid}", "--init-groups", str(program),
                               *map(str, args)], env=self.env, capture_output=True, timeout=timeout)

    def xdotool(self, *args):
        return self.run("xdotool", *args).stdout.decode().strip()

    def swaymsg(self, *args):
        return self.run("swaymsg", *args)

    def move_pointer(self, x, y):
        """Moves the compositor's pointer (XTest motion never does)."""
        self.swaymsg("seat", "-", "cursor", "set", x, y)

    def move_pointer_by_hand(self, x, y):
        """Brings the pointer to (x, y) with a last step of motion, as a hand
        on a mouse does: Xwayland sees a warp into an X11 window but no motion."""
        self.move_pointer(x - 1, y)
        self.swaymsg("seat", "-", "cursor", "move", 1, 0)

    def focus_title(self, title):
        self.swaymsg(f'[title="^{title}$"]', "focus")

    def screenshot(self, name):
        path = self.dir / f"{name}.png"
        self.run("grim", path)
        return path

    def close(self):
        self.stop_all()
        if getattr(self, "bus_pid", None):
            try:
                os.kill(self.bus_pid, 15)
            except ProcessLookupError:
                pass
        if self.sway.poll() is None:
            self.sway.terminate()
            try:
                self.sway.wait(10)
            except subprocess.TimeoutExpired:
                self.sway.kill()
        shutil.rmtree(self.home, ignore_errors=True)


class WaylandClickCounter:
    """The Wayland-native window that counts the wl_pointer buttons it gets."""

    def __init__(self, desktop, rect, name="wl-counts", timed=False):
        """`timed`: also log each button event with the time it arrived (`events`)."""
        left, top, right, bottom = rect
        self.rect = rect
        self.path = desktop.dir / f"{name}.txt"
        self.events_path = desktop.dir / f"{name}.events" if timed else None
        ready = Path(f"{self.path}.ready")
        for path in (self.path, ready, self.events_path):
            if path is not None:
                path.unlink(missing_ok=True)
        extra = [self.events_path] if timed else []
        self.process = desktop.start(os.environ["ZINTRA_WL_CLICK_COUNTER"], self.path, WL_COUNTER_TITLE,
                                     right - left, bottom - top, *extra, log_name=f"{name}.log")
        wait_for(ready.exists, 30, what="the Wayland click counter")
        time.sleep(0.3)  # floated into place

    def centre(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2

    def counts(self):
        """{"LD": n, "LU": n, …, "AT": (x, y)}."""
        result = {}
        if not self.path.exists():
            return result
        for line in self.path.read_text().splitlines():
            parts = line.split()
            result[parts[0]] = tuple(int(v) for v in parts[1:]) if parts[0] == "AT" else int(parts[1])
        return result

    def events(self):
        """[(milliseconds, kind, x, y)] as they arrived (CLOCK_MONOTONIC, as the X11 target logs them)."""
        if self.events_path is None or not self.events_path.exists():
            return []
        lines = [line.split() for line in self.events_path.read_text().splitlines()]
        return [(float(p[0]), p[1], int(p[2]), int(p[3])) for p in lines if len(p) == 4]

    def downs(self):
        return [e for e in self.events() if e[1].endswith("D")]


class SwayX11ClickTarget(X11ClickTarget):
    """The X11 click target under Xwayland, focused through sway."""

    def focus(self):
        self.desktop.focus_title(self.TITLE)
        wait_for(lambda: self.desktop.xdotool("getactivewindow") == self.window, 10, what="the X11 target's focus")
        time.sleep(0.2)

    def press(self, *keys):
        self.focus()
        self.desktop.xdotool("key", *keys)
