"""The program clicking another application, under Wine and natively: the
start/stop hotkey starts and stops clicks of the stored click type at the
stored interval, at the pointer or at a stored fixed point, counted by the
tests' click-target window; a second start ends at once."""

import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.clicks import ClickingSteps, mouse_data, summary  # noqa: E402
from harness.system import adapter  # noqa: E402

SYSTEM = adapter()


class HotkeyClicking(ClickingSteps, SYSTEM.TestCase):
    system = SYSTEM

    def assert_near(self, x, y, point, events):
        slack = SYSTEM.POSITION_SLACK
        self.assertTrue(abs(x - point[0]) <= slack and abs(y - point[1]) <= slack, (point, events))

    def test_default_settings_click_left_at_the_pointer_about_ten_times_a_second(self):
        target = self.start()
        downs = self.run_clicks(target)
        self.assertGreaterEqual(len(downs), 8, target.events())
        self.assertTrue(all(kind == "LD" for _, kind, _, _ in downs), downs)
        self.assertEqual(len(downs), len([e for e in target.events() if e[1] == "LU"]))
        _, median, _ = summary([t for t, *_ in downs])
        # Generous bounds: this checks the interval in use, not the machine's speed.
        self.assertGreater(median, 60)
        self.assertLess(median, 250)
        for _, _, x, y in downs:
            self.assert_near(x, y, target.centre(), downs)

    def test_stored_right_clicks_with_a_limit_send_exactly_that_many(self):
        target = self.start(mouse_data(click_type=1, interval=0.05, use_limit=1, limit=5))
        target.press("F8")
        time.sleep(2.0)
        self.assertEqual([kind for _, kind, _, _ in target.events()], ["RD", "RU"] * 5)

    def test_stored_hotkey_and_fixed_position_also_with_lock_keys_on(self):
        record = mouse_data(vk=0x41, modifiers=0x2 | 0x4, use_fixed=1, x=100, y=120, interval=0.2)
        target = self.start(record)
        # The fixed point lies on the target but well away from the pointer, so
        # clicks sent at the pointer instead would be seen and fail the position check.
        left, top, right, bottom = target.rect
        self.assertTrue(left <= 100 < right and top <= 120 < bottom, target.rect)
        pointer_x, pointer_y = target.centre()
        self.assertGreater(abs(pointer_x - 100) + abs(pointer_y - 120), 50)
        target.press("F8")
        time.sleep(0.6)
        self.assertEqual(target.events(), [], "F8 is not the stored hotkey")
        try:
            for lock, locked in SYSTEM.LOCK_STEPS:
                with self.subTest(lock=lock):
                    if lock is not None:
                        self.desktop.xdotool("key", lock)
                    before = len(target.events())
                    self.desktop.move_pointer(*target.centre())
                    self.run_clicks(target, key="ctrl+shift+a", seconds=1.0)
                    new = target.events()[before:]
                    self.assertGreaterEqual(len([e for e in new if e[1] == "LD"]), 3, lock)
                    for _, kind, x, y in new:
                        self.assertIn(kind, ("LD", "LU"))
                        self.assert_near(x, y, (100, 120), new)
                    # The clicks arrived while the lock keys were on.
                    self.assertTrue(all(state & 0x12 == locked for state in target.states()[before:]))
        finally:
            for lock, _ in reversed(SYSTEM.LOCK_STEPS):
                if lock is not None:
                    self.desktop.xdotool("key", lock)

    def test_second_start_ends_at_once_and_the_first_keeps_clicking(self):
        target = self.start()
        second = self.desktop.run(SYSTEM.program_path(), timeout=30)
        self.assertEqual(second.returncode, 0)
        self.assertIsNone(self.program.process.poll(), "the running instance goes on")
        self.assertTrue(self.program.window_visible("mainWindow"))
        self.run_clicks(target, seconds=1.0)
        self.assertGreaterEqual(len(target.downs("LD")), 4)


if __name__ == "__main__":
    unittest.main(verbosity=2)
