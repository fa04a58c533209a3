"""The installer hooks and the daily record of the real zintra.exe under Wine:
/setup and /unsetup report to a statistics server that decrypts and checks
what it receives, and the first start of a day reports once."""

import os
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from server_harness import ServerTestCase  # noqa: E402
from wine_harness import PROGRAM_KEY, wait_for  # noqa: E402


class StartupRecords(ServerTestCase):
    receives_reports = True

    def setUp(self):
        super().setUp()
        self.desktop.reg("delete", PROGRAM_KEY, "/v", "lastRunTime", "/f")

    def test_setup_records_the_day_and_reports_installed(self):
        result = self.desktop.run(os.environ["ZINTRA_EXE"], "/setup", timeout=60)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(self.server.events(), ["1"])
        value = self.desktop.query_value(PROGRAM_KEY, "lastRunTime")
        self.assertIsNotNone(value)
        self.assertEqual(value[0], "REG_SZ")
        midnight = int(value[1])
        self.assertLess(abs(time.time() - midnight), 2 * 86400)

        # The installation day itself sends no daily report.
        self.desktop.start(os.environ["ZINTRA_EXE"])
        time.sleep(3)
        self.assertEqual(self.server.events(), ["1"])

    def test_unsetup_reports_removal(self):
        result = self.desktop.run(os.environ["ZINTRA_EXE"], "/unsetup", timeout=60)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(self.server.events(), ["2"])
        self.assertIsNone(self.desktop.query_value(PROGRAM_KEY, "lastRunTime"))

    def test_first_start_of_the_day_reports_once(self):
        self.desktop.start(os.environ["ZINTRA_EXE"])
        wait_for(lambda: self.server.events() == ["3"], 30, what="the daily report")
        second = self.desktop.run(os.environ["ZINTRA_EXE"], timeout=30)
        self.assertEqual(second.returncode, 0)
        time.sleep(1)
        self.assertEqual(self.server.events(), ["3"], "a second start on the same day reports nothing")


if __name__ == "__main__":
    unittest.main(verbosity=2)
