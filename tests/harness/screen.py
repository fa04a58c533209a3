"""Where a running program's windows and controls are: the toolkit writes
them to the file ZINTRA_UI_MAP names, one line per control. Read here, and
used to click, type and photograph windows, the same way on both systems."""

import subprocess
import time
from pathlib import Path

from harness.desktop import wait_for

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


def dark_pixels(path, box):
    """How many pixels of the box (left, top, right, bottom) are nearly black or deep red: drawn text."""
    _, _, pixel = pixels(path)
    left, top, right, bottom = box
    count = 0
    for y in range(top, bottom):
        for x in range(left, right):
            r, g, b = pixel(x, y)
            if (r + g + b) < 200 or (r > 120 and g < 60 and b < 60):
                count += 1
    return count


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


class MappedProgram(MappedScreen):
    """One run of the program, used as the user does; its windows are named as
    in their layouts (mainWindow, SettingWindow, customWindow, …). Subclasses
    start it and set `window_timeout`."""

    window_timeout = 20

    def window(self, window, timeout=None):
        """The window's own map entry once it shows."""
        frame = self.control(window, "*", timeout or self.window_timeout, where=lambda c: c.visible)
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

    def choose(self, window, combo, index, scale=1.0):
        """Opens a combo box and clicks entry `index` of its list, which opens
        right below the box with a 1-unit border and 22-unit rows, `scale`
        pixels per unit."""
        box = self.control(window, combo, where=lambda c: c.visible)
        self.click_at(*box.centre)
        time.sleep(0.3)
        self.click_at(box.left + 20, box.bottom + round((1 + index * 22 + 11) * scale))

    def exit_code(self, timeout=None):
        return self.process.wait(timeout or self.window_timeout)
