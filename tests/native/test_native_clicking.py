"""The native zintra clicking real X applications: XTest clicks of the
stored type at the stored pace (long press, a fast interval, random whole
seconds, a fixed point far out), counted by a plain X11 window that holds the
keyboard focus while xdotool presses the keys. Clicking that behaves the same
under Wine is tested in tests/shared/test_clicking.py."""

import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeTestCase, mouse_data, summary  # noqa: E402

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness import native  # noqa: E402
from harness.clicks import ClickingSteps  # noqa: E402


class NativeClicking(ClickingSteps, NativeTestCase):
    system = native

    def press(self, key):
        self.desktop.xdotool("key", key)

    def test_long_press_holds_the_left_button_down(self):
        target = self.start(mouse_data(click_type=2))
        self.run_clicks(target, seconds=1.0)
        kinds = [kind for _, kind, _, _ in target.events()]
        self.assertGreaterEqual(kinds.count("LD"), 1, kinds)
        self.assertNotIn("LU", kinds, "the button is never released by the program")
        self.desktop.xdotool("mouseup", "1")

    def test_a_typed_interval_of_five_hundredths_sets_the_pace(self):
        target = self.start(mouse_data(interval=0.05))
        downs = self.run_clicks(target, seconds=2.0)
        self.assertGreaterEqual(len(downs), 20)
        _, median, _ = summary([t for t, *_ in downs])
        self.assertGreater(median, 35)
        self.assertLess(median, 90)

    def test_random_intervals_are_whole_seconds_with_the_ten_millisecond_floor(self):
        # With a maximum of 2 every period is 0 s (which waits the 10 ms floor) or 1 s.
        target = self.start(mouse_data(use_random=1, random_max=2))
        downs = self.run_clicks(target, seconds=3.5)
        times = [t for t, *_ in downs]
        gaps = [b - a for a, b in zip(times, times[1:])]
        self.assertGreaterEqual(len(downs), 4, downs)
        for gap in gaps:
            self.assertTrue(gap < 150 or 850 < gap < 1200, gaps)

    def test_a_fixed_position_on_another_part_of_the_screen_is_hit_exactly(self):
        target = self.start(mouse_data(use_fixed=1, x=1003, y=777, use_limit=1, limit=3), rect=(900, 700, 1200, 900))
        self.desktop.move_pointer(10, 10)
        self.press("F8")
        time.sleep(1.0)
        self.assertEqual([(kind, x, y) for _, kind, x, y in target.events()],
                         [("LD", 1003, 777), ("LU", 1003, 777)] * 3)


if __name__ == "__main__":
    unittest.main(verbosity=2)
