"""Drives ui_gallery.exe under Wine: starts it on a layout, reads where its
controls are from the ZINTRA_UI_MAP file the toolkit keeps, clicks and types
there with xdotool, and crops screenshots to one window.

Configuration from the environment (CTest sets it): ZINTRA_UI_GALLERY, plus
what wine_harness.py reads.
"""

import os
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from wine_harness import wait_for  # noqa: E402

CONVERT = "/usr/bin/convert"  # the real ImageMagick, not the stand-in on PATH


class Control:
    def __init__(self, fields, text):
        self.window, self.name = fields[0], fields[1]
        self.left, self.top, self.right, self.bottom = (int(v) for v in fields[2:6])
        self.visible, self.enabled, self.checked = (v == "1" for v in fields[6:9])
        self.text = text

    @property
    def centre(self):
        return (self.left + self.right) // 2, (self.top + self.bottom) // 2

    @property
    def size(self):
        return self.right - self.left, self.bottom - self.top

    def __repr__(self):
        return (f"{self.window}/{self.name} {self.left},{self.top},{self.right},{self.bottom} "
                f"v{int(self.visible)} e{int(self.enabled)} c{int(self.checked)} {self.text!r}")


def read_map(path):
    """{(window, control): Control} from the map file; {} while there is none."""
    controls = {}
    try:
        data = Path(path).read_text(encoding="utf-8")
    except FileNotFoundError:
        return controls
    for line in data.splitlines():
        parts = line.split(" ", 9)
        if len(parts) < 9:
            continue
        control = Control(parts[:9], parts[9] if len(parts) > 9 else "")
        controls[(control.window, control.name)] = control
    return controls


class MappedScreen:
    """What the toolkit's control map tells about a running program: where its
    windows and controls are. Subclasses set desktop, name and map_path."""

    @staticmethod
    def wine_path(path):
        return "Z:" + str(Path(path).resolve()).replace("/", "\\")

    def controls(self):
        return read_map(self.map_path)

    def control(self, window, name, timeout=15, where=None):
        """The control's map entry once it exists (and satisfies `where`)."""
        def found():
            control = self.controls().get((window, name))
            return control if control is not None and (where is None or where(control)) else None
        return wait_for(found, timeout, what=f"{window}/{name}")

    def type_text(self, text):
        self.desktop.xdotool("type", "--delay", "60", text)
        time.sleep(0.3)

    def photograph(self, window, file_name):
        """Saves the window's rectangle of the screen as a PNG; returns its path."""
        frame = self.control(window, "*", where=lambda c: c.visible)
        time.sleep(0.5)  # let the last paint land
        shot = self.desktop.screenshot(f"{self.name}-screen.png")
        path = self.desktop.dir / file_name
        width, height = frame.size
        subprocess.run([CONVERT, str(shot), "-crop", f"{width}x{height}+{frame.left}+{frame.top}", "+repage",
                        str(path)], check=True, timeout=30)
        return path


class Gallery(MappedScreen):
    """One run of ui_gallery.exe on a layout."""

    def __init__(self, desktop, name, layout, *options):
        self.desktop = desktop
        self.name = name
        self.map_path = desktop.dir / f"{name}.map"
        self.result_path = desktop.dir / f"{name}.result"
        for path in (self.map_path, self.result_path):
            path.unlink(missing_ok=True)
        env_before = desktop.env.get("ZINTRA_UI_MAP")
        desktop.env["ZINTRA_UI_MAP"] = self.wine_path(self.map_path)
        try:
            self.process = desktop.start(os.environ["ZINTRA_UI_GALLERY"], "--result",
                                         self.wine_path(self.result_path), *options, layout,
                                         log_name=f"{name}.log")
        finally:
            if env_before is None:
                desktop.env.pop("ZINTRA_UI_MAP", None)
            else:
                desktop.env["ZINTRA_UI_MAP"] = env_before
        wait_for(lambda: "ready" in self.results(), 30, what=f"{name} to start")
        # Dialogs are centred after they are built: wait until a window is shown.
        wait_for(lambda: any(c.name == "*" and c.visible for c in self.controls().values()), 30,
                 what=f"{name} to show its window")
        time.sleep(0.3)

    def results(self):
        try:
            return self.result_path.read_text(encoding="utf-8").splitlines()
        except FileNotFoundError:
            return []

    def wait_result(self, prefix, timeout=10):
        return wait_for(lambda: next((r for r in self.results() if r.startswith(prefix)), None), timeout,
                        what=f"result {prefix!r}")

    def click(self, x, y):
        self.desktop.xdotool("mousemove", "--sync", x, y)
        time.sleep(0.1)
        self.desktop.xdotool("click", "1")
        time.sleep(0.2)

    def click_control(self, window, name):
        self.click(*self.control(window, name, where=lambda c: c.visible).centre)

def pixels(path):
    """(width, height, pixel(x, y) -> (r, g, b)) of a picture file."""
    data = subprocess.run([CONVERT, str(path), "-depth", "8", "ppm:-"], check=True, capture_output=True,
                          timeout=30).stdout
    # P6 header: magic, width, height, maximum, each followed by white space.
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        start = position
        while not data[position:position + 1].isspace():
            position += 1
        fields.append(data[start:position])
    position += 1
    width, height = int(fields[1]), int(fields[2])
    body = data[position:]

    def pixel(x, y):
        at = (y * width + x) * 3
        return tuple(body[at:at + 3])
    return width, height, pixel
