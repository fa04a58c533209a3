"""The native zintra's command line and its report switch. --help and
--version print and end with 0 without a display, without touching the store
or the single-instance lock (also beside a running instance); an unknown
--option is named on stderr and the program starts as before. Reports: the
daily report reaches the tests' loopback server unless the user switched
reports off with --no-reports (kept in the store until --reports) or with
DO_NOT_TRACK; then neither the daily run nor the installer hooks send one."""

import os
import re
import shutil
import sys
import tempfile
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent / "e2e"))
from native_harness import NativeProgram, NativeServerTestCase, NativeTestCase, XEmbedTray, read_store, wait_for  # noqa: E402


def built_version():
    text = (HERE.parents[1] / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(Zintra VERSION ([0-9.]+)", text).group(1)


def folder_files(path):
    return sorted(str(p.relative_to(path)) for p in path.rglob("*")) if path.exists() else []


class NativeCommandLine(NativeTestCase):
    def run_alone(self, *args, env=None):
        """The program run to its end without a display."""
        environment = dict(env or self.desktop.env)
        environment.pop("DISPLAY")
        saved, self.desktop.env = self.desktop.env, environment
        try:
            return self.desktop.run(os.environ["ZINTRA_NATIVE"], *args)
        finally:
            self.desktop.env = saved

    def test_help_and_version_print_and_end_without_display_store_or_lock(self):
        home = Path(tempfile.mkdtemp(prefix="zintra-options-"))
        self.addCleanup(shutil.rmtree, home, ignore_errors=True)
        env = dict(self.desktop.env, HOME=str(home), XDG_CONFIG_HOME=str(home / "config"),
                   XDG_RUNTIME_DIR=str(home / "runtime"), XDG_CACHE_HOME=str(home / "cache"))
        for option, expected in (("--help", "--no-reports"), ("--version", f"Zintra {built_version()}\n")):
            with self.subTest(option=option):
                result = self.run_alone(option, env=env)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stderr, b"")
                self.assertIn(expected, result.stdout.decode("utf-8"))
                self.assertEqual(folder_files(home), [])
        help_text = self.run_alone("--help").stdout.decode("utf-8")
        for line in ("-auto", "--reports", "--version", "DO_NOT_TRACK"):
            self.assertIn(line, help_text)

    def test_version_answers_beside_a_running_instance(self):
        program = NativeProgram(self.desktop, "running")
        result = self.desktop.run(os.environ["ZINTRA_NATIVE"], "--version")
        self.assertEqual((result.returncode, result.stdout.decode()), (0, f"Zintra {built_version()}\n"))
        self.assertIsNone(program.process.poll())

    def test_an_unknown_option_is_named_on_stderr_and_the_program_starts(self):
        program = NativeProgram(self.desktop, "unknown", "--frobnicate")
        self.assertIn("--frobnicate", program.log_path.read_text(encoding="utf-8"))
        self.assertTrue(program.window_visible("mainWindow"))

    def test_the_start_hidden_flag_keeps_its_rule_beside_an_unknown_option(self):
        tray = XEmbedTray(self.desktop, "command-line-tray")  # hidden only where an icon shows
        self.addCleanup(tray.stop)
        program = NativeProgram(self.desktop, "hidden", "--bogus", "-auto", wait_for_window=None)
        program.control("mainWindow", "*")
        time.sleep(0.5)
        self.assertFalse(program.window_visible("mainWindow"))
        self.assertIn("--bogus", program.log_path.read_text(encoding="utf-8"))


class NativeReportSwitch(NativeServerTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.desktop.env.pop("DO_NOT_TRACK", None)

    def switch(self, option):
        result = self.desktop.run(os.environ["ZINTRA_NATIVE"], option)
        self.assertEqual(result.returncode, 0, result.stderr)
        return read_store(self.desktop.store_path)["usagereports"]

    def start_and_settle(self, name, env=None):
        saved = self.desktop.env
        self.desktop.env = dict(saved, **(env or {}))
        try:
            program = NativeProgram(self.desktop, name)
        finally:
            self.desktop.env = saved
        # The daily record is written just before its report would go out.
        wait_for(lambda: "lastruntime" in (read_store(self.desktop.store_path) or {}), 10, what="the daily record")
        return program

    def test_the_daily_report_goes_out_while_reports_are_on(self):
        self.start_and_settle("reports-on")
        wait_for(lambda: self.server.events(), 30, what="the daily report")
        self.assertEqual(self.server.events(), ["3"])

    def test_switched_off_in_the_store_no_report_goes_out_until_switched_on_again(self):
        self.assertEqual(self.switch("--no-reports"), (4, b"\0\0\0\0"))
        program = self.start_and_settle("reports-off")
        time.sleep(3)
        self.assertEqual(self.server.log()["reports"], [])
        result = self.desktop.run(os.environ["ZINTRA_NATIVE"], "/unsetup")
        self.assertEqual(result.returncode, 0)
        self.assertEqual(self.server.log()["reports"], [])
        program.process.terminate()
        program.process.wait(10)

        self.assertEqual(self.switch("--reports"), (4, b"\1\0\0\0"))
        # The same store on a new day: the switch alone, no daily record.
        self.desktop.write_store("zintra-store 1\nkey SOFTWARE\\ZintraMouse\n"
                                 "value UsageReports 4 01000000\nend 1 1\n")
        self.start_and_settle("reports-on-again")
        wait_for(lambda: self.server.events(), 30, what="the daily report")
        self.assertEqual(self.server.events(), ["3"])

    def test_do_not_track_keeps_every_report_in(self):
        self.start_and_settle("do-not-track", env={"DO_NOT_TRACK": "1"})
        self.desktop.store_path.unlink()
        saved, self.desktop.env = self.desktop.env, dict(self.desktop.env, DO_NOT_TRACK="1")
        try:
            result = self.desktop.run(os.environ["ZINTRA_NATIVE"], "/setup")
        finally:
            self.desktop.env = saved
        self.assertEqual(result.returncode, 0)
        time.sleep(3)
        self.assertEqual(self.server.log()["reports"], [])
        self.assertNotIn("usagereports", read_store(self.desktop.store_path))


if __name__ == "__main__":
    unittest.main(verbosity=2)
