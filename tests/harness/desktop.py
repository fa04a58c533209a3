"""What every end-to-end desktop has, whichever system runs the program: a
virtual X display of its own, waiting for a condition, xdotool for keys and
the mouse, and screenshots of the whole screen."""

import os
import subprocess
import tempfile
import time
from pathlib import Path


def output_dir(variable, fallback):
    """The folder the environment variable names (or `fallback` in the temporary folder), made if missing."""
    path = Path(os.environ.get(variable, Path(tempfile.gettempdir()) / fallback))
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


def end_line_helper(process):
    """Ends a helper that reads commands line by line until its input closes; killed if it lingers."""
    if process.poll() is not None:
        return
    process.stdin.close()
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(5)


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


class XDesktop:
    """Input and pictures on the display; subclasses set `display`, `dir` and `env`."""

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, timeout=30,
                              text=True).stdout.strip()

    def find_window(self, title, timeout=20):
        return wait_for(lambda: self.xdotool("search", "--name", f"^{title}$").split("\n")[0], timeout,
                        what=f"window {title!r}")

    def press_keys(self, window, *keys):
        """Focuses a window (hotkeys under Wine need one that holds the keyboard focus), then types."""
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
