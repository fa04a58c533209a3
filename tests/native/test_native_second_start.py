"""The native zintra is never out of reach on a Linux desktop: a second start
brings the running instance's main window forward (shown, restored from
iconic, stacked above the other windows) and ends with code 0, also when the
window was hidden in a tray; with no tray anywhere a start with -auto shows
the window (iconic where a window manager takes the hint) and "hide while
clicking" leaves it in sight. On a bare display and under Openbox."""

import shutil
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import (ManagedTestCase, NativeProgram, NativeTestCase, X11ClickTarget,  # noqa: E402
                            mouse_data, store_text, wait_for)
from test_native_tray import XEmbedTray  # noqa: E402


def hide_while_clicking_record():
    """The stored settings with "hide while clicking" ticked (its byte is the fifth)."""
    record = bytearray(mouse_data())
    record[4] = 1
    return bytes(record)


class SecondStartChecks:
    """Shared by the bare display and the managed one."""

    def setUp(self):
        self.desktop.store_path.parent.mkdir(parents=True, exist_ok=True)
        for path in self.desktop.store_path.parent.iterdir():
            path.unlink()

    def main_window(self):
        return int(self.desktop.xdotool("search", "--name", "^Zintra$").split("\n")[0])

    def info(self, window):
        text = subprocess.run(["xwininfo", "-id", str(window)], env=self.desktop.env, capture_output=True,
                              text=True, timeout=30).stdout
        return dict(row.strip().split(": ", 1) for row in text.splitlines() if ": " in row)

    def viewable(self, window):
        return self.info(window).get("Map State") == "IsViewable"

    def wm_state(self, window):
        """What WM_STATE says (Normal, Iconic), or None where no window manager set it."""
        text = subprocess.run(["xprop", "-id", str(window), "WM_STATE"], env=self.desktop.env, capture_output=True,
                              text=True, timeout=30).stdout
        for state in ("Normal", "Iconic", "Withdrawn"):
            if f"window state: {state}" in text:
                return state
        return None

    def start_second(self, name):
        second = NativeProgram(self.desktop, name, wait_for_window=None)
        self.assertEqual(second.exit_code(timeout=30), 0)

    def test_a_second_start_raises_the_running_window_above_a_covering_one(self):
        program = NativeProgram(self.desktop, "raise-first")
        frame = program.window("mainWindow")
        target = X11ClickTarget(self.desktop, rect=(frame.left - 20, frame.top - 20, frame.right + 20,
                                                    frame.bottom + 20))
        wait_for(lambda: self.on_top() == self.top_of(target_window(self.desktop)), 10,
                 what="the covering window to be on top")
        self.start_second("raise-second")
        wait_for(lambda: self.on_top() == self.top_of(self.main_window()), 10, what="the main window on top")
        self.assertTrue(self.viewable(self.main_window()))
        self.assertIsNone(program.process.poll(), "the running instance goes on")
        self.assertIsNone(target.process.poll())
        program.photograph("mainWindow", f"raised-{type(self).__name__}.png")

    def test_a_window_hidden_in_the_tray_comes_back_on_a_second_start(self):
        tray = XEmbedTray(self.desktop, f"tray-{type(self).__name__}")
        try:
            program = NativeProgram(self.desktop, "hidden-first")
            tray.docked()
            program.click("mainWindow", "btn_close")
            wait_for(lambda: not program.window_visible("mainWindow"), 10, what="the close button to hide")
            self.assertFalse(self.viewable(self.main_window()))
            self.start_second("hidden-second")
            wait_for(lambda: self.viewable(self.main_window()), 10, what="the window to come back")
            wait_for(lambda: self.on_top() == self.top_of(self.main_window()), 10, what="the main window on top")
            self.assertTrue(program.window_visible("mainWindow"))
        finally:
            tray.stop()

    def test_without_any_tray_an_auto_start_shows_the_window_and_clicking_leaves_it(self):
        self.desktop.write_store(store_text({"MouseData": (3, hide_while_clicking_record())}))
        target = X11ClickTarget(self.desktop, rect=(700, 600, 1000, 900))
        program = NativeProgram(self.desktop, f"auto-{type(self).__name__}", "-auto", wait_for_window=None)
        program.control("mainWindow", "*", where=lambda c: c.visible)
        window = self.main_window()
        if self.managed:
            wait_for(lambda: self.wm_state(window) == "Iconic", 10, what="an iconic start")
            self.assertFalse(self.viewable(window), "iconified by the window manager")
            self.start_second(f"auto-second-{type(self).__name__}")
            wait_for(lambda: self.wm_state(window) == "Normal", 10, what="the window restored")
            wait_for(lambda: self.viewable(window), 10, what="the window on screen")
        else:
            wait_for(lambda: self.viewable(window), 10, what="the window on screen")
            time.sleep(0.5)
            program.photograph("mainWindow", "no-tray-auto-start.png")
        self.desktop.move_pointer(*target.centre())
        target.focus()
        self.desktop.xdotool("key", "F8")
        wait_for(lambda: len(target.downs()) >= 3, 10, what="clicks")
        self.assertTrue(self.viewable(window), "not hidden while clicking")
        self.assertTrue(program.window_visible("mainWindow"))
        self.desktop.xdotool("key", "F8")
        time.sleep(0.5)
        self.assertTrue(self.viewable(window), "still there after the stop")

    # ---- stacking ----
    def top_of(self, window):
        """The top-level window that carries `window` (its frame under a window manager)."""
        if not self.managed:
            return window
        while True:
            tree = subprocess.run(["xwininfo", "-id", str(window), "-tree"], env=self.desktop.env,
                                  capture_output=True, text=True, timeout=30).stdout
            parent = int(tree.split("Parent window id: ")[1].split()[0], 16)
            root = int(tree.split("Root window id: ")[1].split()[0], 16)
            if parent == root:
                return window
            window = parent

    def on_top(self):
        """The highest viewable top-level window that is not a pop-up (xwininfo lists the top first)."""
        tree = subprocess.run(["xwininfo", "-root", "-children"], env=self.desktop.env, capture_output=True,
                              text=True, timeout=30).stdout
        children = [int(line.split()[0], 16) for line in tree.splitlines() if line.strip().startswith("0x")]
        for window in children:
            fields = self.info(window)
            if fields.get("Map State") == "IsViewable" and fields.get("Override Redirect State") == "no" and \
                    int(fields.get("Width", "0")) > 50:
                return window
        return None


def target_window(desktop):
    return int(desktop.xdotool("search", "--name", "^ZintraClickTarget$").split("\n")[0])


class BareDisplay(SecondStartChecks, NativeTestCase):
    managed = False


@unittest.skipUnless(shutil.which("openbox"), "Openbox is not installed (scripts/setup-deps.sh installs it)")
class OpenboxDisplay(SecondStartChecks, ManagedTestCase):
    managed = True


if __name__ == "__main__":
    unittest.main(verbosity=2)
