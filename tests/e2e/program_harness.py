"""Drives the real zintra.exe under Wine: starts it with ZINTRA_UI_MAP so the
toolkit reports where its windows and controls are, clicks and types there
with xdotool, posts window messages to it, and photographs its windows.

Configuration from the environment (CTest sets it): ZINTRA_EXE, ZINTRA_POST_MESSAGE,
plus what wine_harness.py reads.
"""

import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gallery_harness import MappedScreen  # noqa: E402

WM_CLOSE = 0x0010
WM_COMMAND = 0x0111


class Program(MappedScreen):
    """One run of zintra.exe; its windows are named as in their layouts
    (mainWindow, SettingWindow, customWindow, …)."""

    def __init__(self, desktop, name="zintra", *args, wait_for_window="mainWindow", exe=None):
        self.desktop = desktop
        self.name = name
        self.map_path = desktop.dir / f"{name}.map"
        self.map_path.unlink(missing_ok=True)
        before = desktop.env.get("ZINTRA_UI_MAP")
        desktop.env["ZINTRA_UI_MAP"] = self.wine_path(self.map_path)
        try:
            self.process = desktop.start(exe or os.environ["ZINTRA_EXE"], *args, log_name=f"{name}.log")
        finally:
            if before is None:
                desktop.env.pop("ZINTRA_UI_MAP", None)
            else:
                desktop.env["ZINTRA_UI_MAP"] = before
        if wait_for_window:
            self.window(wait_for_window)

    # ---- where things are ----

    def window(self, window, timeout=30):
        """The window's own map entry once it shows."""
        frame = self.control(window, "*", timeout, where=lambda c: c.visible)
        time.sleep(0.3)
        return frame

    def window_visible(self, window):
        frame = self.controls().get((window, "*"))
        return frame is not None and frame.visible

    # ---- acting as the user ----

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

    def post(self, message, wparam=0, lparam=0, window_class="ZUIHOST", title="Zintra"):
        result = self.desktop.run(os.environ["ZINTRA_POST_MESSAGE"], window_class, title, str(message), str(wparam),
                                  str(lparam), timeout=30)
        return result.returncode == 0

    def exit_code(self, timeout=30):
        return self.process.wait(timeout)
