"""The real zintra.exe under Wine: the start/stop hotkey starts and stops clicks
of the stored click type at the stored interval, counted by the click target."""

import os
import struct
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from wine_harness import ClickTarget, WineTestCase, summary  # noqa: E402


def mouse_data(click_type=0, interval=0.1, vk=0x77, modifiers=0, use_limit=0, limit=0,
               use_fixed=0, x=0, y=0):
    record = bytearray(424)
    record[1] = use_fixed
    record[2] = use_limit
    struct.pack_into("<ifIIiiii", record, 8, click_type, interval, vk, modifiers, 1, x, y, limit)
    return bytes(record)


class HotkeyClicking(WineTestCase):
    def start(self, record=None):
        if record is None:
            self.desktop.delete_mouse_data()
        else:
            self.desktop.set_mouse_data(record)
        target = ClickTarget(self.desktop)
        self.desktop.start(os.environ["ZINTRA_EXE"])
        time.sleep(1.5)  # the program registers its hotkey at start
        self.desktop.move_pointer(*target.centre())
        return target

    def run_clicks(self, target, key="F8", seconds=2.0):
        self.desktop.press_keys(target.window, key)
        time.sleep(seconds)
        self.desktop.press_keys(target.window, key)
        time.sleep(0.3)
        stopped_at = len(target.events())
        time.sleep(0.7)
        self.assertEqual(len(target.events()), stopped_at, "clicks went on after the second press")

    def test_default_settings_click_left_about_ten_times_a_second(self):
        target = self.start()
        self.run_clicks(target)
        downs = target.downs()
        self.assertGreaterEqual(len(downs), 8, target.events())
        self.assertTrue(all(kind == "LD" for _, kind, _, _ in downs), downs)
        self.assertEqual(len(target.downs("LD")), len([e for e in target.events() if e[1] == "LU"]))
        _, median, _ = summary([t for t, *_ in downs])
        # Generous bounds: this checks the interval in use, not the machine's speed.
        self.assertGreater(median, 60)
        self.assertLess(median, 250)
        x, y = target.centre()
        self.assertTrue(all(abs(ex - x) <= 1 and abs(ey - y) <= 1 for _, _, ex, ey in downs))

    def test_stored_right_click_with_limit_sends_exactly_that_many(self):
        target = self.start(mouse_data(click_type=1, interval=0.05, use_limit=1, limit=5))
        self.desktop.press_keys(target.window, "F8")
        time.sleep(2.0)
        kinds = [kind for _, kind, _, _ in target.events()]
        self.assertEqual(kinds, ["RD", "RU"] * 5)

    def test_stored_hotkey_and_fixed_position(self):
        record = mouse_data(vk=0x41, modifiers=0x2 | 0x4, use_fixed=1, x=100, y=120, interval=0.2)
        target = self.start(record)
        # The fixed point lies on the target but well away from the pointer, so
        # clicks sent at the pointer instead would be seen and fail the position check.
        left, top, right, bottom = target.rect
        self.assertTrue(left <= 100 < right and top <= 120 < bottom, target.rect)
        pointer_x, pointer_y = target.centre()
        self.assertGreater(abs(pointer_x - 100) + abs(pointer_y - 120), 50)
        self.desktop.press_keys(target.window, "F8")
        time.sleep(0.6)
        self.assertEqual(target.events(), [], "F8 is not the stored hotkey")
        self.run_clicks(target, key="ctrl+shift+a", seconds=1.0)
        downs = target.downs()
        self.assertGreaterEqual(len(downs), 3)
        for _, kind, x, y in downs:
            self.assertEqual(kind, "LD")
            self.assertLessEqual(abs(x - 100), 1)
            self.assertLessEqual(abs(y - 120), 1)

    def test_second_start_ends_at_once_and_the_first_keeps_clicking(self):
        target = self.start()
        second = self.desktop.run(os.environ["ZINTRA_EXE"], timeout=30)
        self.assertEqual(second.returncode, 0)
        self.run_clicks(target, seconds=1.0)
        self.assertGreaterEqual(len(target.downs("LD")), 4)


if __name__ == "__main__":
    unittest.main(verbosity=2)
