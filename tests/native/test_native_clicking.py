"""The native zintra clicking real X applications: the start/stop hotkey,
grabbed on the root window, starts and stops XTest clicks of the stored type
at the stored pace, counted by a plain X11 window that holds the keyboard
focus while xdotool presses the keys."""

import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeProgram, NativeTestCase, X11ClickTarget, mouse_data, summary  # noqa: E402


class NativeClicking(NativeTestCase):
    def start(self, record=None, rect=(0, 0, 640, 480)):
        if record is not None:
            self.desktop.set_mouse_data(record)
        else:
            self.desktop.store_path.unlink(missing_ok=True)
        target = X11ClickTarget(self.desktop, rect=rect)
        NativeProgram(self.desktop, "zintra")
        self.desktop.move_pointer(*target.centre())
        target.focus()
        return target

    def press(self, key):
        self.desktop.xdotool("key", key)

    def run_clicks(self, target, key="F8", seconds=2.0):
        """Presses the key, waits, presses it again; checks that the clicks then stop."""
        self.press(key)
        time.sleep(seconds)
        self.press(key)
        time.sleep(0.3)
        stopped_at = len(target.events())
        time.sleep(0.6)
        self.assertEqual(len(target.events()), stopped_at, "clicks went on after the second press")
        return target.downs()

    def test_f8_clicks_left_at_the_pointer_about_ten_times_a_second(self):
        target = self.start()
        downs = self.run_clicks(target)
        self.assertGreaterEqual(len(downs), 8, target.events())
        self.assertTrue(all(kind == "LD" for _, kind, _, _ in downs), downs)
        self.assertEqual(len(downs), len([e for e in target.events() if e[1] == "LU"]))
        _, median, _ = summary([t for t, *_ in downs])
        # Generous bounds: this checks the interval in use, not the machine's speed.
        self.assertGreater(median, 60)
        self.assertLess(median, 250)
        x, y = target.centre()
        self.assertTrue(all((ex, ey) == (x, y) for _, _, ex, ey in downs))

    def test_stored_right_clicks_with_a_limit_send_exactly_that_many(self):
        target = self.start(mouse_data(click_type=1, interval=0.05, use_limit=1, limit=5))
        self.press("F8")
        time.sleep(2.0)
        self.assertEqual([kind for _, kind, _, _ in target.events()], ["RD", "RU"] * 5)

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

    def test_fixed_position_and_a_two_modifier_hotkey_also_with_num_lock_and_caps_lock_on(self):
        record = mouse_data(vk=0x41, modifiers=0x2 | 0x4, use_fixed=1, x=100, y=120, interval=0.2)
        target = self.start(record)
        self.press("F8")
        time.sleep(0.6)
        self.assertEqual(target.events(), [], "F8 is not the stored hotkey")
        # Each step turns one more lock key on: none, NumLock, NumLock and CapsLock.
        steps = [(None, 0), ("Num_Lock", 0x10), ("Caps_Lock", 0x10 | 0x02)]
        try:
            for lock, locked in steps:
                with self.subTest(lock=lock):
                    if lock is not None:
                        self.press(lock)
                    before = len(target.events())
                    self.desktop.move_pointer(*target.centre())
                    self.run_clicks(target, key="ctrl+shift+a", seconds=1.0)
                    new = target.events()[before:]
                    self.assertGreaterEqual(len([e for e in new if e[1] == "LD"]), 3, lock)
                    for _, kind, x, y in new:
                        self.assertEqual((x, y), (100, 120))
                    # The clicks arrived while the lock keys were on.
                    self.assertTrue(all(state & 0x12 == locked for state in target.states()[before:]))
        finally:
            self.press("Caps_Lock")
            self.press("Num_Lock")

    def test_a_fixed_position_on_another_part_of_the_screen_is_hit_exactly(self):
        target = self.start(mouse_data(use_fixed=1, x=1003, y=777, use_limit=1, limit=3), rect=(900, 700, 1200, 900))
        self.desktop.move_pointer(10, 10)
        self.press("F8")
        time.sleep(1.0)
        self.assertEqual([(kind, x, y) for _, kind, x, y in target.events()],
                         [("LD", 1003, 777), ("LU", 1003, 777)] * 3)


if __name__ == "__main__":
    unittest.main(verbosity=2)
