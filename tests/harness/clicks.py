"""Counting the clicks the program sends: the tests' click-target window (a
Win32 one under Wine, a plain X11 one natively) logs every button event it
receives, and these read that log; plus the stored settings record that sets
what the clicks are."""

import statistics
import struct
import time
from pathlib import Path

from harness.desktop import wait_for


def mouse_data(click_type=0, interval=0.1, vk=0x77, modifiers=0, use_limit=0, limit=0, use_fixed=0, x=0, y=0,
               use_random=0, random_max=1):
    """The 424-byte stored settings record."""
    record = bytearray(424)
    record[0] = use_random
    record[1] = use_fixed
    record[2] = use_limit
    struct.pack_into("<ifIIiiii", record, 8, click_type, interval, vk, modifiers, random_max, x, y, limit)
    return bytes(record)


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


class ClickTarget:
    """A window that logs the button events it receives, one line each:
    milliseconds, kind (LD, LU, RD, …), x, y and, natively, the X modifier
    state. Subclasses start it with `launch(log, rect)`."""

    TITLE = "ZintraClickTarget"

    def __init__(self, desktop, name="clicks", rect=(0, 0, 640, 480)):
        self.desktop = desktop
        self.log = desktop.dir / f"{name}.txt"
        rect_file = Path(f"{self.log}.rect")
        for path in (self.log, rect_file):
            path.unlink(missing_ok=True)
        self.process = self.launch(name, rect)
        wait_for(lambda: rect_file.exists() and rect_file.read_text().strip(), 30, what="click target")
        self.rect = tuple(int(v) for v in rect_file.read_text().split())
        self.window = desktop.find_window(self.TITLE)

    def launch(self, name, rect):
        raise NotImplementedError

    def centre(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2

    def _lines(self):
        if not self.log.exists():
            return []
        return [line.split() for line in self.log.read_text().splitlines()]

    def events(self):
        """[(milliseconds, kind, x, y)] logged so far."""
        return [(float(parts[0]), parts[1], int(parts[2]), int(parts[3])) for parts in self._lines()
                if len(parts) in (4, 5)]

    def states(self):
        """The X modifier state (lock keys included) of every logged event, where the target logs it."""
        return [int(parts[4]) for parts in self._lines() if len(parts) == 5]

    def downs(self, kind=None):
        return [e for e in self.events() if e[1].endswith("D") and (kind is None or e[1] == kind)]

    def focus(self):
        self.desktop.xdotool("windowfocus", "--sync", self.window)

    def press(self, *keys):
        """Gives this window the keyboard focus and presses the keys (xdotool key names)."""
        self.desktop.press_keys(self.window, *keys)

    def clicks_between(self, key, seconds, settle=0.5):
        """Presses `key` with this window focused, waits `seconds`, presses it
        again; the events logged from the first press until `settle` later."""
        before = len(self.events())
        self.press(key)
        time.sleep(seconds)
        self.press(key)
        time.sleep(settle)
        return self.events()[before:]


class ClickingSteps:
    """Steps of the tests that start the program over a click target and toggle
    its clicks with the hotkey. Mixed into a test case with `desktop`; set
    `system` to the adapter module."""

    system = None

    def start(self, record=None, rect=(0, 0, 640, 480)):
        """The program started on the stored `record` (none: the defaults), the
        pointer on a click target of `rect`; the target."""
        if record is None:
            self.desktop.clear_settings()
        else:
            self.desktop.set_mouse_data(record)
        target = self.system.ClickTarget(self.desktop, rect=rect)
        self.program = self.system.Program(self.desktop, "zintra")
        time.sleep(0.5)  # the program registers its hotkey as it starts
        self.desktop.move_pointer(*target.centre())
        target.focus()
        return target

    def run_clicks(self, target, key="F8", seconds=2.0):
        """Presses the key, waits, presses it again; checks that the clicks then stop."""
        target.press(key)
        time.sleep(seconds)
        target.press(key)
        time.sleep(0.3)
        stopped_at = len(target.events())
        time.sleep(0.7)
        self.assertEqual(len(target.events()), stopped_at, "clicks went on after the second press")
        return target.downs()
