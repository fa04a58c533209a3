"""What the benchmark scripts share: where things are, building them, reading a
process's CPU time and memory from /proc, and watching the X server for the
moment a program's window is mapped.

The benchmarks run in a Wine prefix of their own (build/bench/prefix), never in
the tests' one, and stop only the processes they started.
"""

import ctypes
import ctypes.util
import os
import select
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = ROOT / "build" / "windows"
BENCH_DIR = ROOT / "build" / "bench"
BUILD_LOCK = "/tmp/zintra-windows-build.lock"
MINGW_GCC = "x86_64-w64-mingw32-gcc"

sys.path.insert(0, str(ROOT / "tests" / "e2e"))

# Our own Win32 helpers: source file, output, extra compiler arguments.
HELPERS = [
    ("idle_pump.c", "idle_pump.exe", ["-mwindows"]),
    ("trivial_window.c", "trivial_window.exe", ["-mwindows", "-municode"]),
    ("process_stats.c", "process_stats.exe", ["-lpsapi"]),
    ("winsock_get.c", "winsock_get.exe", ["-lws2_32"]),
]

# Commands the benchmarks call, and the Debian package of each.
COMMANDS = {
    "xdotool": "xdotool", "Xvfb": "xvfb", "wine": "wine", "curl": "curl", "md5sum": "coreutils",
    MINGW_GCC: "gcc-mingw-w64-x86-64-posix", "flock": "util-linux",
}


def configure_environment():
    """Points the harness of the end-to-end tests at the Windows build and the bench's own folder."""
    os.environ.setdefault("ZINTRA_EXE", str(BUILD / "app" / "zintra.exe"))
    os.environ.setdefault("ZINTRA_CLICK_TARGET", str(BUILD / "tests" / "e2e" / "click_target.exe"))
    os.environ.setdefault("ZINTRA_ONLINE_PROBE", str(BUILD / "tests" / "e2e" / "online_probe.exe"))
    os.environ.setdefault("ZINTRA_SETUP", str(BUILD / "zintra-setup.exe"))
    # The harness keeps its prefix in this folder; an absolute path, as Wine wants.
    os.environ["ZINTRA_E2E_DIR"] = str(Path(os.environ.get("ZINTRA_E2E_DIR", BENCH_DIR)).resolve())
    BENCH_DIR.mkdir(parents=True, exist_ok=True)


def install_missing_commands():
    missing = sorted({package for command, package in COMMANDS.items() if shutil.which(command) is None})
    if not missing:
        return
    print(f"bench: installing {' '.join(missing)}", file=sys.stderr)
    environment = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(["apt-get", "update", "-q"], check=True, env=environment)
    subprocess.run(["apt-get", "install", "-y", "-q", "--no-install-recommends", *missing], check=True,
                   env=environment)


def build_windows(quiet=True):
    """Builds zintra.exe, the installer and the test helpers, holding the shared build's lock."""
    output = subprocess.DEVNULL if quiet else None
    subprocess.run(["flock", BUILD_LOCK, str(ROOT / "scripts" / "build.sh"), "windows"], check=True,
                   stdout=output, cwd=ROOT)


def build_native(quiet=True):
    """Builds the native program and its test helpers, holding the native build's lock."""
    output = subprocess.DEVNULL if quiet else None
    subprocess.run(["flock", "/tmp/zintra-native-build.lock", str(ROOT / "scripts" / "build.sh"), "native"],
                   check=True, stdout=output, cwd=ROOT)


def build_helpers():
    """Compiles the bench's own small Win32 programs straight into build/bench."""
    BENCH_DIR.mkdir(parents=True, exist_ok=True)
    here = Path(__file__).resolve().parent
    for source, output, extra in HELPERS:
        target = BENCH_DIR / output
        subprocess.run([MINGW_GCC, "-O2", "-s", "-Wall", "-o", str(target), str(here / source), *extra], check=True)


def helper(name):
    return BENCH_DIR / name


def wine_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


# ---- /proc ----

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
PAGE_SIZE = os.sysconf("SC_PAGE_SIZE")


def cpu_seconds(pid):
    """utime + stime of a process in seconds, or None once it is gone."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            text = stat.read()
    except OSError:
        return None
    # The command name may hold blanks; the fields after it are fixed.
    fields = text[text.rindex(")") + 2:].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def rss_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        return None
    return None


def open_fds(pid):
    try:
        return len(os.listdir(f"/proc/{pid}/fd"))
    except OSError:
        return None


def thread_count(pid):
    try:
        return len(os.listdir(f"/proc/{pid}/task"))
    except OSError:
        return None


def _prefix_of(pid):
    try:
        with open(f"/proc/{pid}/environ", "rb") as environ:
            for entry in environ.read().split(b"\0"):
                if entry.startswith(b"WINEPREFIX="):
                    return entry[len(b"WINEPREFIX="):].decode(errors="replace")
    except OSError:
        return None
    return None


def wine_pids(exe_name, prefix):
    """Processes of the given Wine prefix whose command line names exe_name."""
    found = []
    needle = exe_name.lower().encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                words = cmdline.read().split(b"\0")
        except OSError:
            continue
        if words and needle in words[0].lower() and _prefix_of(entry) == str(prefix):
            found.append(int(entry))
    return found


def wine_pid(exe_name, prefix, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        pids = wine_pids(exe_name, prefix)
        if pids:
            return pids[0]
        time.sleep(0.05)
    raise TimeoutError(f"no process of {exe_name} in {prefix}")


def wineserver_pid(prefix):
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/comm") as comm:
                name = comm.read().strip()
        except OSError:
            continue
        if name.startswith("wineserver") and _prefix_of(entry) == str(prefix):
            return int(entry)
    return None


class CpuWindow:
    """CPU seconds a set of processes use between start() and stop()."""

    def __init__(self, **pids):
        self.pids = {name: pid for name, pid in pids.items() if pid is not None}

    def start(self):
        self.before = {name: cpu_seconds(pid) for name, pid in self.pids.items()}
        self.started = time.monotonic()

    def stop(self):
        self.elapsed = time.monotonic() - self.started
        used = {}
        for name, pid in self.pids.items():
            after = cpu_seconds(pid)
            before = self.before.get(name)
            used[name] = None if after is None or before is None else after - before
        return used


# ---- the X server ----

class _XMapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class _XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xmap", _XMapEvent), ("pad", ctypes.c_long * 24)]


_MAP_NOTIFY = 19
_SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
_XA_CARDINAL = 6
_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class MapWatcher:
    """Listens on the display for top-level windows being mapped and tells the
    time at which the first one of a given process (by _NET_WM_PID, which Wine
    sets on its windows) appeared. Event-driven, so no polling gap."""

    def __init__(self, display_name):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XPending.argtypes = [ctypes.c_void_p]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_XEvent)]
        self.x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.x.XInternAtom.restype = ctypes.c_ulong
        self.x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.x.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long, ctypes.c_int,
            ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
        self.x.XGetGeometry.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_uint),
            ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_uint)]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        # A window may vanish before we ask about it; the default handler would end Python.
        self._handler = _ERROR_HANDLER(lambda display, error: 0)
        self.x.XSetErrorHandler(self._handler)
        self.display = self.x.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display_name}")
        self.root = self.x.XDefaultRootWindow(self.display)
        self.pid_atom = self.x.XInternAtom(self.display, b"_NET_WM_PID", 0)
        self.x.XSelectInput(self.display, self.root, _SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XFlush(self.display)
        self.fd = self.x.XConnectionNumber(self.display)
        self.mapped = []  # (monotonic time, window)

    def _window_pid(self, window):
        actual_type, actual_format = ctypes.c_ulong(), ctypes.c_int()
        items, remaining, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        status = self.x.XGetWindowProperty(self.display, window, self.pid_atom, 0, 1, 0, _XA_CARDINAL,
                                           ctypes.byref(actual_type), ctypes.byref(actual_format),
                                           ctypes.byref(items), ctypes.byref(remaining), ctypes.byref(data))
        if status != 0 or not data.value:
            return None
        pid = ctypes.cast(data, ctypes.POINTER(ctypes.c_ulong))[0] if items.value else None
        self.x.XFree(data)
        return pid

    def _window_size(self, window):
        root, x, y = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_int()
        width, height, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
        if not self.x.XGetGeometry(self.display, window, ctypes.byref(root), ctypes.byref(x), ctypes.byref(y),
                                   ctypes.byref(width), ctypes.byref(height), ctypes.byref(border),
                                   ctypes.byref(depth)):
            return 0, 0
        return width.value, height.value

    def drain(self):
        """Takes every pending event; records the time each map arrived."""
        event = _XEvent()
        while self.x.XPending(self.display):
            self.x.XNextEvent(self.display, ctypes.byref(event))
            if event.type == _MAP_NOTIFY:
                self.mapped.append((time.monotonic(), event.xmap.window))

    def wait_for_window(self, pid, timeout=30, min_size=100):
        """Monotonic time at which a window of pid at least min_size wide and high was mapped."""
        deadline = time.monotonic() + timeout
        checked = 0
        while True:
            self.drain()
            while checked < len(self.mapped):
                when, window = self.mapped[checked]
                checked += 1
                if self._window_pid(window) == pid and min(self._window_size(window)) >= min_size:
                    return when
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError(f"no window of process {pid} was mapped")
            select.select([self.fd], [], [], min(left, 0.5))

    def forget(self):
        self.drain()
        self.mapped.clear()

    def close(self):
        if self.display:
            self.x.XCloseDisplay(self.display)
            self.display = None
