"""A real GNOME desktop for end-to-end tests in a Wayland session: mutter
headless (with Xwayland for the program's own windows), its private session
bus, xdg-desktop-portal with the GNOME back-end, and PipeWire when it runs.
mutter refuses root, so everything runs as the unprivileged test user
`zintra-wl` with a private XDG_RUNTIME_DIR.

The portal's own "Remote desktop" dialog is answered through mutter's
remote-desktop D-Bus API: a session of the test's own clicks its controls
(`answer_dialog` with APPROVE or DENY). Screenshots come from mutter's
screen-cast API through PipeWire (there is no other way to see the screen)."""

import os
import queue
import shutil
import subprocess
import tempfile
import threading
import time
from pathlib import Path

from harness.desktop import end_line_helper, wait_for
from harness.wayland import USER, test_user as ensure_user  # one test user for every compositor

MUTTER_REMOTE_DESKTOP = "org.gnome.Mutter.RemoteDesktop"
# What a session needs installed; a test skips naming the first one missing.
REQUIRED = ("/usr/bin/mutter", "/usr/libexec/xdg-desktop-portal", "/usr/libexec/xdg-desktop-portal-gnome",
            "/usr/bin/dbus-daemon")
# The portal's dialog, answered by clicks at its controls as GNOME 43 lays it
# out, centred on a 1280x1024 screen (its keyboard focus starts in different
# places from run to run; where it is clicked does not change): switch
# "Allow remote interaction" on, then "Share", or "Cancel".
APPROVE = ("click 819 436", "click 842 385")
DENY = ("click 440 385",)
# When a screen is asked for too, the list of monitors comes first (GNOME picks the only one).
APPROVE_WITH_SCREEN = ("click 830 584", "click 853 385")
DENY_WITH_SCREEN = ("click 429 385",)
HELPER = Path(__file__).with_name("gnome_remote.py")


def missing_packages():
    """The first program a GNOME session needs that is not installed, or None."""
    return next((path for path in REQUIRED if not os.path.exists(path)), None)


class GnomeSession:
    """One private GNOME session; `env` is what a client of it needs."""

    def __init__(self, out_dir, width=1280, height=1024, pipewire=True):
        self.dir = Path(out_dir)
        self.dir.mkdir(parents=True, exist_ok=True)
        self.size = (width, height)
        self.uid, self.gid = ensure_user()
        # The user's programs write here (their maps, screenshots); the logs are ours.
        os.chown(self.dir, self.uid, self.gid)
        self.processes = []
        self.logs = []
        self.runtime = Path(tempfile.mkdtemp(prefix="zintra-wl-run-"))
        self.home = Path(tempfile.mkdtemp(prefix="zintra-wl-home-"))
        for path in (self.runtime, self.home):
            os.chown(path, self.uid, self.gid)
            path.chmod(0o700)
        self.env = self._base_env()
        try:
            self._start_bus()
            self._start_compositor()
            self.pipewire = pipewire and self._start_pipewire()
        except BaseException:
            self.close()
            raise

    def _base_env(self):
        return {
            # Debian's own python3 first: the helper needs its python3-dbus and python3-gi.
            "PATH": "/usr/bin:/bin:/usr/local/bin",
            "HOME": str(self.home),
            "USER": USER,
            "LOGNAME": USER,
            "XDG_RUNTIME_DIR": str(self.runtime),
            "XDG_CONFIG_HOME": str(self.home / "config"),
            "XDG_CURRENT_DESKTOP": "GNOME",
            "XDG_SESSION_TYPE": "wayland",
            "WAYLAND_DISPLAY": "wayland-zintra",
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            # No dconf writer runs: settings live in memory for the session.
            "GSETTINGS_BACKEND": "memory",
            "GTK_A11Y": "none",
            "NO_AT_BRIDGE": "1",
            "DBUS_SESSION_BUS_ADDRESS": f"unix:path={self.runtime}/bus",
        }

    def spawn(self, name, args, env=None, **kwargs):
        """Starts a process of the session as the test user, its output in `name`.log."""
        log = open(self.dir / f"{name}.log", "ab")
        self.logs.append(log)
        process = subprocess.Popen(args, env=env or self.env, user=self.uid, group=self.gid, extra_groups=[],
                                   cwd=self.home, stdout=kwargs.pop("stdout", log), stderr=log,
                                   start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def start(self, program, *args, log_name=None, env=None):
        """A program of the session as the test user (the native harness's NativeProgram runs zintra so)."""
        name = Path(log_name or Path(program).name).stem
        return self.spawn(name, [str(program), *map(str, args)], env=env)

    def xdotool(self, *args):
        """xdotool on the session's Xwayland display."""
        return self.run(["xdotool", *map(str, args)]).stdout.strip()

    def run(self, args, timeout=30, **kwargs):
        """Runs a short command of the session as the test user."""
        return subprocess.run(args, env=self.env, user=self.uid, group=self.gid, extra_groups=[], cwd=self.home,
                              capture_output=True, text=True, timeout=timeout, **kwargs)

    def _start_bus(self):
        self.spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                            f"--address=unix:path={self.runtime}/bus"])
        wait_for(lambda: (self.runtime / "bus").exists(), 20, what="the session bus")

    def _start_compositor(self):
        # mutter runs the command once Xwayland is up, with DISPLAY and XAUTHORITY set: it hands them over.
        env_file = self.runtime / "session.env"
        width, height = self.size
        self.mutter = self.spawn("mutter", [
            "mutter", "--headless", "--wayland", "--wayland-display", self.env["WAYLAND_DISPLAY"],
            "--virtual-monitor", f"{width}x{height}", "--",
            "sh", "-c", f'env > {env_file}.part && mv {env_file}.part {env_file} && exec sleep infinity'])
        wait_for(lambda: env_file.exists() or self.mutter.poll() is not None, 60, interval=0.2,
                 what="mutter and Xwayland")
        if self.mutter.poll() is not None:
            raise RuntimeError(f"mutter ended at start: see {self.dir / 'mutter.log'}")
        started = dict(line.split("=", 1) for line in env_file.read_text().splitlines() if "=" in line)
        for name in ("DISPLAY", "XAUTHORITY"):
            if name in started:
                self.env[name] = started[name]
        # D-Bus activates the portals: they must reach the same displays.
        self.run(["dbus-update-activation-environment", "DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY",
                  "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "GSETTINGS_BACKEND", "GTK_A11Y", "NO_AT_BRIDGE"])
        self.wait_for_name(MUTTER_REMOTE_DESKTOP, 30)

    def _start_pipewire(self):
        """PipeWire and its session manager, which screen-cast streams need; False where they do not run."""
        if not (shutil.which("pipewire") and shutil.which("wireplumber")):
            return False
        self.spawn("pipewire", ["pipewire"])
        try:
            wait_for(lambda: (self.runtime / "pipewire-0").exists(), 20, what="PipeWire")
        except TimeoutError:
            return False
        self.spawn("wireplumber", ["wireplumber"])
        time.sleep(0.5)
        return all(process.poll() is None for process in self.processes[-2:])

    def remote(self):
        """The session's remote-desktop helper (gnome_remote.py), started as the test user."""
        return RemoteHelper(self)

    def answer_dialog(self, steps, answered, picture=None, timeout=30):
        """Sends `steps` (helper commands) to the portal's dialog until `answered()`
        holds: the dialog maps a moment after the portal is asked, and clicks
        before it miss. `picture`: a file for the screen as the dialog first shows."""
        with self.remote() as helper:
            deadline = time.monotonic() + timeout
            while time.monotonic() < deadline:
                time.sleep(3)
                if answered():
                    return True
                if picture and self.pipewire:
                    helper.command(f"screenshot {picture}")
                    helper.expect(("saved", "unsaved"), 30)
                    picture = None
                for step in steps:
                    helper.command(step)
            return answered()

    def has_name(self, name):
        result = self.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                           "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", f"string:{name}"])
        return "boolean true" in result.stdout

    def wait_for_name(self, name, timeout):
        wait_for(lambda: self.has_name(name), timeout, interval=0.2, what=f"{name} on the session bus")

    def _activated(self):
        """The services the session bus started (the portals): children of the bus daemon."""
        bus = self.processes[0].pid if self.processes else None
        try:
            text = Path(f"/proc/{bus}/task/{bus}/children").read_text()
        except (OSError, TypeError):
            return []
        return [int(pid) for pid in text.split()]

    def close(self):
        for pid in self._activated():
            try:
                os.kill(pid, 15)
            except ProcessLookupError:
                pass
        for process in reversed(self.processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, 15)
                except ProcessLookupError:
                    pass
        for process in self.processes:
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, 9)
                process.wait(5)
        for log in self.logs:
            log.close()
        shutil.rmtree(self.runtime, ignore_errors=True)
        shutil.rmtree(self.home, ignore_errors=True)


class RemoteHelper:
    """gnome_remote.py as the test user: `command` sends one line and returns
    its answer; lines that come on their own (a portal's answer) wait in `lines`."""

    def __init__(self, session):
        self.process = session.spawn("remote", ["python3", str(HELPER)], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True, bufsize=1)
        self.lines = queue.Queue()
        self.pending = []
        threading.Thread(target=self._read, daemon=True).start()
        self.expect("ready", 30)

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.strip())

    def expect(self, prefix, timeout):
        """The first line that starts with `prefix` (str or tuple), kept or to come; None if none came in time."""
        for line in self.pending:
            if line.startswith(prefix):
                self.pending.remove(line)
                return line
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                return None
            if line.startswith(prefix):
                return line
            self.pending.append(line)

    def command(self, line, timeout=30):
        """Sends a command; its "done" or "error" line."""
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        return self.expect(("done ", "error "), timeout)

    def close(self):
        end_line_helper(self.process)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()
