"""The update gate of the real zintra.exe under Wine: a loopback update server
describes a newer build, the update window offers it before any main window,
"立即更新" downloads a real tiny installer with the progress panel showing,
checks its digest and starts it, and the program ends; a wrong digest leaves
"重试" and no file behind; declining ends the program only when forced."""

import hashlib
import json
import os
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from program_harness import WM_CLOSE, Program  # noqa: E402
from server_harness import ServerTestCase  # noqa: E402
from wine_harness import PROGRAM_KEY, wait_for  # noqa: E402

WINDOW = "UpdateWindow"
INSTALLER = "setup_9.exe"
NOTES = "1. Clicks keep their pace after sleep\n2. The tray menu remembers its place"


class UpdateGate(ServerTestCase):
    @classmethod
    def setUpClass(cls):
        cls.installer = Path(os.environ["ZINTRA_FAKE_INSTALLER"])
        cls.digest = hashlib.md5(cls.installer.read_bytes()).hexdigest()
        super().setUpClass()
        cls.desktop.env["ZINTRA_UPDATE_URL"] = cls.server.base + "/update/update.json"
        cls.marker = cls.desktop.dir / "installer-ran.txt"
        cls.desktop.env["ZINTRA_INSTALLER_MARKER"] = Program.wine_path(cls.marker)

    def setUp(self):
        super().setUp()
        self.desktop.reg("delete", PROGRAM_KEY, "/v", "Update", "/f")
        self.marker.unlink(missing_ok=True)
        for leftover in self.temp_files():
            leftover.unlink()

    # ---- helpers ----

    def temp_dirs(self):
        users = self.desktop.prefix / "drive_c" / "users"
        # Wine 8 keeps %TEMP% in the profile's own Temp folder; newer ones under AppData.
        return [p for pattern in ("*/Temp", "*/AppData/Local/Temp") for p in users.glob(pattern) if p.is_dir()]

    def temp_files(self):
        return [f for d in self.temp_dirs() for f in d.iterdir() if f.name.startswith(INSTALLER)]

    def offer(self, name, **description):
        """Describes build 9 and starts the program, which must offer it."""
        description.setdefault("version", 9)
        description.setdefault("updateInfo", NOTES)
        self.server.describe(**description)
        return Program(self.desktop, name, wait_for_window=WINDOW)

    def serve_installer(self, **settings):
        self.server.register(path="/dl/" + INSTALLER, file=str(self.installer), **settings)
        return self.server.base + "/dl/" + INSTALLER

    def assert_never_showed_the_main_window(self, program):
        self.assertNotIn(("mainWindow", "*"), program.controls())

    # ---- tests ----

    def test_newer_build_is_offered_then_downloaded_checked_and_installed(self):
        url = self.serve_installer(chunks=40, delay=0.15)
        # A digest in capitals still matches.
        program = self.offer("update-install", url=url, fileMd5=self.digest.upper())
        self.assert_never_showed_the_main_window(program)
        self.assertEqual(program.control(WINDOW, "version").text, "9")
        # The map writes line breaks as spaces.
        self.assertEqual(program.control(WINDOW, "txt_updateinfo").text.split(), NOTES.split())
        self.assertFalse(program.control(WINDOW, "upProgressWindow").visible)
        self.assertEqual(program.control(WINDOW, "btnUpdate").text, "立即更新")
        program.photograph(WINDOW, "update-offer.png")

        program.click(WINDOW, "btnUpdate")
        panel = program.control(WINDOW, "upProgressWindow", timeout=10, where=lambda c: c.visible)
        self.assertEqual(program.control(WINDOW, "UpdateText").text, "正在下载安装包...")
        # The panel covers both buttons while it shows.
        for name in ("btnUpdate", "btnNotUpdate"):
            button = program.control(WINDOW, name)
            self.assertTrue(panel.top <= button.top and button.bottom <= panel.bottom, (panel, button))
        program.photograph(WINDOW, "update-downloading.png")
        self.assertFalse(self.marker.exists(), "the installer starts only after the whole download")

        self.assertEqual(program.exit_code(timeout=60), 0)
        wait_for(self.marker.exists, 20, what="the installer's marker")
        ran_from = self.marker.read_text(errors="replace").splitlines()[0]
        self.assertTrue(ran_from.lower().endswith("\\temp\\" + INSTALLER), ran_from)
        self.assertEqual(len(self.server.requested("/update/update.json")), 1)
        self.assertTrue(self.server.requested("/dl/" + INSTALLER))
        self.assert_never_showed_the_main_window(program)

    def test_wrong_digest_removes_the_download_and_offers_retry(self):
        url = self.serve_installer()
        program = self.offer("update-mismatch", url=url, fileMd5="0" * 32)
        program.click(WINDOW, "btnUpdate")
        program.control(WINDOW, "btnUpdate", timeout=60, where=lambda c: c.text == "重试")
        self.assertFalse(program.control(WINDOW, "upProgressWindow").visible)
        first_downloads = len(self.server.requested("/dl/" + INSTALLER))
        self.assertGreater(first_downloads, 0, "the installer was downloaded")
        self.assertEqual(self.temp_files(), [], "the damaged download is deleted")
        self.assertTrue(self.temp_dirs(), "the Wine temporary folder exists")
        program.photograph(WINDOW, "update-retry.png")
        time.sleep(1)
        self.assertFalse(self.marker.exists(), "a damaged installer is never started")
        self.assertIsNone(program.process.poll(), "the window stays open for another try")

        # A retry downloads afresh, slowly enough to see the panel, and fails the same way.
        self.serve_installer(chunks=10, delay=0.2)
        program.click(WINDOW, "btnUpdate")
        program.control(WINDOW, "upProgressWindow", timeout=10, where=lambda c: c.visible)
        program.control(WINDOW, "upProgressWindow", timeout=60, where=lambda c: not c.visible)
        self.assertGreater(len(self.server.requested("/dl/" + INSTALLER)), first_downloads)
        self.assertEqual(program.control(WINDOW, "btnUpdate").text, "重试")
        self.assertEqual(self.temp_files(), [])
        self.assertFalse(self.marker.exists())

    def test_declining_a_forced_update_ends_the_program(self):
        program = self.offer("update-forced", forceUpdate=True, url="http://127.0.0.1:9/dl/" + INSTALLER)
        program.click(WINDOW, "btnNotUpdate")
        self.assertEqual(program.exit_code(), 0)
        self.assert_never_showed_the_main_window(program)

    def test_declining_an_optional_update_opens_the_main_window(self):
        program = self.offer("update-optional", forceUpdate=False, url="http://127.0.0.1:9/dl/" + INSTALLER)
        program.click(WINDOW, "btnNotUpdate")
        program.window("mainWindow")
        self.assertFalse(program.window_visible(WINDOW))
        self.assertIsNone(program.process.poll())

    def shown_after(self, name, update_url):
        """Seconds from launch to the main window showing, with the update server at `update_url`."""
        self.desktop.env["ZINTRA_UPDATE_URL"] = update_url
        try:
            started = time.monotonic()
            program = Program(self.desktop, name, wait_for_window=None)
            program.control("mainWindow", "*", 60, where=lambda c: c.visible)
            return time.monotonic() - started, program
        finally:
            self.desktop.env["ZINTRA_UPDATE_URL"] = self.server.base + "/update/update.json"

    def test_silent_update_server_does_not_hold_the_main_window(self):
        # The usual start, timed the same way: a server that answers at once, with nothing newer.
        self.desktop.reg("add", PROGRAM_KEY, "/v", "Update", "/t", "REG_DWORD", "/d", "9", "/f")
        self.server.describe(version=9, updateInfo=NOTES)
        usual, program = self.shown_after("update-usual", self.server.base + "/update/update.json")
        program.post(WM_CLOSE)
        self.assertEqual(program.exit_code(), 0)
        # A server (or a proxy, or a firewall) that takes the connection and never answers.
        silent, program = self.shown_after("update-silent", self.server.silent_base + "/update/update.json")
        # A bound for a hang (three attempts of 30 s before), with a wide margin
        # over the 2 s the start waits; the machine's own start time is taken out.
        self.assertLess(silent - usual, 3.0, "the main window waited for the silent server")
        self.assertGreaterEqual(self.server.log()["silent_accepts"], 1, "the update server was asked")
        self.assertIsNone(program.process.poll())

    def test_forced_update_answering_late_is_still_offered_and_declined_ends_the_program(self):
        description = {"version": 9, "updateInfo": NOTES, "forceUpdate": True,
                       "url": "http://127.0.0.1:9/dl/" + INSTALLER}
        # Half the reply, 10 s of silence, the rest: the answer is complete after 10 s.
        self.server.register(path="/update/update.json", body=json.dumps(description, ensure_ascii=False),
                             chunks=2, delay=10)
        program = Program(self.desktop, "update-late")  # the main window, before any answer
        self.assertFalse(program.window_visible(WINDOW))
        program.window(WINDOW, timeout=40)
        program.photograph(WINDOW, "update-late-offer.png")
        self.assertEqual(program.control(WINDOW, "version").text, "9")
        program.click(WINDOW, "btnNotUpdate")
        self.assertEqual(program.exit_code(), 0)

    def test_installed_build_as_new_as_the_described_one_is_not_offered(self):
        self.desktop.reg("add", PROGRAM_KEY, "/v", "Update", "/t", "REG_DWORD", "/d", "9", "/f")
        self.server.describe(version=9, updateInfo=NOTES, url="http://127.0.0.1:9/dl/" + INSTALLER)
        program = Program(self.desktop, "update-current")
        self.assertTrue(self.server.requested("/update/update.json"), "the update server was asked")
        self.assertNotIn((WINDOW, "*"), program.controls())


if __name__ == "__main__":
    unittest.main(verbosity=2)
