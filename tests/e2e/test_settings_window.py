"""The settings window of the real zintra.exe under Wine: start with the
system added to and removed from the Run key. What the window does on both
systems is tested in tests/shared/test_settings_window.py."""

import os
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from program_harness import Program  # noqa: E402
from wine_harness import WineTestCase  # noqa: E402

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.settings_window import WINDOW, SettingsWindowSteps  # noqa: E402

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "ZintraMouseAuto"


class SettingsAutoRun(SettingsWindowSteps, WineTestCase):
    def setUp(self):
        self.desktop.delete_mouse_data()
        self.desktop.reg("delete", RUN_KEY, "/v", RUN_VALUE, "/f")

    def tearDown(self):
        # A test that failed half-way leaves no Run entry in the shared prefix.
        self.desktop.reg("delete", RUN_KEY, "/v", RUN_VALUE, "/f")
        self.desktop.stop_wine()

    # ---- tests ----

    def test_start_with_the_system_adds_and_removes_the_run_entry(self):
        program = Program(self.desktop, "settings-autorun")
        self.open_settings(program)
        self.show_page(program, 1)
        box = program.control(WINDOW, "chk_setAutoRun", where=lambda c: c.visible)
        self.assertFalse(box.checked)
        self.tick(program, "chk_setAutoRun")
        self.confirm(program)
        value = self.desktop.query_value(RUN_KEY, RUN_VALUE)
        self.assertIsNotNone(value, "the Run entry exists after confirming")
        kind, data = value
        self.assertEqual(kind, "REG_SZ")
        self.assertTrue(data.endswith('" -auto'), data)
        self.assertTrue(data.startswith('"'), data)
        self.assertEqual(data[1:-len('" -auto')].lower(), Program.wine_path(os.environ["ZINTRA_EXE"]).lower())

        # Reopened, the box shows the entry; unticked and confirmed, it is gone.
        self.open_settings(program)
        self.show_page(program, 1)
        program.control(WINDOW, "chk_setAutoRun", where=lambda c: c.visible and c.checked)
        self.tick(program, "chk_setAutoRun", checked=False)
        self.confirm(program)
        self.assertIsNone(self.desktop.query_value(RUN_KEY, RUN_VALUE))


if __name__ == "__main__":
    unittest.main(verbosity=2)
