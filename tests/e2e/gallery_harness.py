"""Drives ui_gallery.exe under Wine: starts it on a layout, reads where its
controls are from the ZINTRA_UI_MAP file the toolkit keeps, clicks and types
there with xdotool, and crops screenshots to one window (tests/harness/screen.py).

Configuration from the environment (CTest sets it): ZINTRA_UI_GALLERY, plus
what wine_harness.py reads.
"""

import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.desktop import wait_for  # noqa: E402
from harness.screen import CONVERT, Control, MappedScreen, pixels, read_map  # noqa: E402,F401


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
