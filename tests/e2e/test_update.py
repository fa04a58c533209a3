"""The update gate of the real zintra.exe under Wine: a loopback update server
describes a newer build, the update window offers it before any main window,
"立即更新" downloads a real tiny installer with the progress panel showing,
checks its digest and starts it, and the program ends; a wrong digest leaves
"重试" and no file behind; declining ends the program only when forced.

A build configured with an update key (zintra_keyed.exe, keyed with a pair
made for the tests) offers only descriptions signed by that key, and none of
its own build or an older one however genuine (a replay never downgrades it
nor, forced, ends it); the SHA-256 digest a description publishes must match
too; and no download grows past what its server announced, nor past the cap
when it announces nothing.

Downloads go to the program's own folder inside the user's temporary folder;
an earlier complete download answered with 416 starts again, redirects of
every kind give the installer, a server that ignores Range replaces the
partial file, a silent server ends in "重试", and only http and https are
spoken."""

import hashlib
import json
import os
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from program_harness import WM_CLOSE, Program  # noqa: E402
from server_harness import ServerTestCase, running_build, sign  # noqa: E402
from wine_harness import PROGRAM_KEY, wait_for  # noqa: E402

WINDOW = "UpdateWindow"
INSTALLER = "setup_9.exe"
NOTES = "1. Clicks keep their pace after sleep\n2. The tray menu remembers its place"


class UpdateTestCase(ServerTestCase):
    """A desktop, a loopback server and the test installer; no tests of its own."""

    @classmethod
    def setUpClass(cls):
        cls.installer = Path(os.environ["ZINTRA_FAKE_INSTALLER"])
        cls.digest = hashlib.md5(cls.installer.read_bytes()).hexdigest()
        super().setUpClass()
        cls.desktop.env["ZINTRA_UPDATE_URL"] = cls.server.base + "/update/update.json"
        cls.marker = cls.desktop.dir / "installer-ran.txt"
        cls.desktop.env["ZINTRA_INSTALLER_MARKER"] = Program.wine_path(cls.marker)
        cls.keyed = os.environ["ZINTRA_KEYED_EXE"]
        cls.key = Path(os.environ["ZINTRA_TEST_UPDATE_KEY"])
        # A release build configured with its real update keys takes only
        # descriptions signed offline: the tests then run the keyed test build
        # and sign with the tests' key.
        if os.environ.get("ZINTRA_UPDATE_KEYS_BUILT_IN") == "1":
            cls.exe, cls.default_key = cls.keyed, cls.key
        else:
            cls.exe, cls.default_key = None, None

    def setUp(self):
        super().setUp()
        # A test before may have recorded build 9 as installed; nothing would be
        # offered then. Wine's reg.exe can fail on a loaded machine, so the
        # value's absence is checked, not assumed.
        for _ in range(3):
            self.desktop.reg("delete", PROGRAM_KEY, "/v", "Update", "/f")
            code, _ = self.desktop.reg("query", PROGRAM_KEY, "/v", "Update")
            if code != 0:
                break
        else:
            self.fail("the installed build number could not be removed from the registry")
        self.marker.unlink(missing_ok=True)
        for leftover in self.temp_files():
            leftover.unlink()

    # ---- helpers ----

    def temp_dirs(self):
        users = self.desktop.prefix / "drive_c" / "users"
        # Wine 8 keeps %TEMP% in the profile's own Temp folder; newer ones under AppData.
        return [p for pattern in ("*/Temp", "*/AppData/Local/Temp") for p in users.glob(pattern) if p.is_dir()]

    def download_dirs(self):
        return [d / "Zintra" for d in self.temp_dirs() if (d / "Zintra").is_dir()]

    def temp_files(self):
        """The installer, its sidecar and its checked copy, wherever they are."""
        return [f for d in self.temp_dirs() + self.download_dirs() for f in d.iterdir() if INSTALLER in f.name]

    def offer(self, name, exe=None, signing_key=None, **description):
        """Describes build 9 and starts the program, which must offer it."""
        description.setdefault("version", 9)
        description.setdefault("updateInfo", NOTES)
        self.server.describe(signing_key=signing_key or self.default_key, **description)
        program = Program(self.desktop, name, wait_for_window=None, exe=exe or self.exe)
        try:
            program.window(WINDOW, timeout=60)
        except TimeoutError:
            # Say what happened instead: main window, an early end, or no question asked.
            self.fail(f"no update window; main window shown: {program.window_visible('mainWindow')}, "
                      f"exit code: {program.process.poll()}, "
                      f"descriptions fetched: {len(self.server.requested('/update/update.json'))}")
        return program

    def serve_installer(self, **settings):
        self.server.register(path="/dl/" + INSTALLER, file=str(self.installer), **settings)
        return self.server.base + "/dl/" + INSTALLER

    def assert_never_showed_the_main_window(self, program):
        # It may be built while the server answers, but it is never shown.
        self.assertFalse(program.window_visible("mainWindow"))


class UpdateGate(UpdateTestCase):
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
        # The copy the program checked, in its own folder of the user's temporary folder.
        self.assertTrue(ran_from.lower().endswith("\\temp\\zintra\\verified-" + INSTALLER), ran_from)
        self.assertEqual(len(self.server.requested("/update/update.json")), 1)
        self.assertTrue(self.server.requested("/dl/" + INSTALLER))
        self.assert_never_showed_the_main_window(program)
        self.assertEqual(self.desktop.query_value(PROGRAM_KEY, "Update"), ("REG_DWORD", "0x9"),
                         "the started build is recorded as installed")
        again = Program(self.desktop, "update-install-again", exe=self.exe)
        self.assertNotIn((WINDOW, "*"), again.controls(), "and not offered again")

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
        # over the 2 s the start waits for a loaded machine; the machine's own
        # start time is taken out. The time itself is measured by bench/run.
        self.assertLess(silent - usual, 6.0, "the main window waited for the silent server")
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
        self.server.describe(signing_key=self.default_key, version=9, updateInfo=NOTES,
                             url="http://127.0.0.1:9/dl/" + INSTALLER)
        program = Program(self.desktop, "update-current", exe=self.exe)
        self.assertTrue(self.server.requested("/update/update.json"), "the update server was asked")
        self.assertNotIn((WINDOW, "*"), program.controls())


MiB = 1 << 20
MAKE_UPDATE_JSON = HERE.parent.parent / "scripts" / "make_update_json.py"


class TrustedUpdates(UpdateTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.sha256 = hashlib.sha256(cls.installer.read_bytes()).hexdigest()
        # A key pair nobody configured.
        cls.stranger = cls.desktop.dir / "stranger.pem"
        subprocess.run(["openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", str(cls.stranger)],
                       check=True)

    def wait_for_retry(self, program, timeout=120):
        program.control(WINDOW, "btnUpdate", timeout=timeout, where=lambda c: c.text == "重试")
        self.assertFalse(program.control(WINDOW, "upProgressWindow").visible)

    def assert_still_responsive(self, program):
        """Declining opens the main window: the program was never stuck."""
        program.click(WINDOW, "btnNotUpdate")
        program.window("mainWindow")
        self.assertIsNone(program.process.poll())

    def test_signed_newer_build_is_offered_and_installed(self):
        url = self.serve_installer()
        # The release's own tool writes and signs the description.
        description = self.desktop.dir / "update.json"
        subprocess.run([sys.executable, str(MAKE_UPDATE_JSON), str(self.installer), "--version", "9", "--url", url,
                        "--notes", NOTES, "--key", str(self.key), "--out", str(description)], check=True)
        self.assertEqual(json.loads(description.read_text(encoding="utf-8"))["fileSha256"], self.sha256)
        self.server.publish_description(description.read_text(encoding="utf-8"),
                                        Path(str(description) + ".sig").read_text())
        program = Program(self.desktop, "signed-install", wait_for_window=WINDOW, exe=self.keyed)
        self.assertEqual(program.control(WINDOW, "version").text, "9")
        self.assertTrue(self.server.requested("/update/update.json.sig"))
        program.click(WINDOW, "btnUpdate")
        self.assertEqual(program.exit_code(timeout=60), 0)
        wait_for(self.marker.exists, 20, what="the installer's marker")
        self.assert_never_showed_the_main_window(program)

    def test_unsigned_or_wrongly_signed_descriptions_offer_nothing(self):
        url = "http://127.0.0.1:9/dl/" + INSTALLER
        text = json.dumps({"version": 9, "updateInfo": NOTES, "url": url, "fileMd5": self.digest})
        other = json.dumps({"version": 9, "updateInfo": NOTES, "url": url, "fileMd5": "0" * 32})
        cases = {
            "unsigned": None,
            "signed by another key": sign(text.encode(), self.stranger),
            "the signature of another description": sign(other.encode(), self.key),
            "a truncated signature": sign(text.encode(), self.key)[:30],
        }
        for what, signature in cases.items():
            with self.subTest(what):
                self.server.reset()
                self.server.publish_description(text, signature)
                program = Program(self.desktop, "unsigned", exe=self.keyed)
                self.assertTrue(self.server.requested("/update/update.json.sig"), "the signature was asked for")
                self.assertNotIn((WINDOW, "*"), program.controls())
                self.desktop.stop_wine()
        if self.default_key is None:
            # The same unsigned description is offered by the build without a key, as always.
            self.server.reset()
            self.server.publish_description(text)
            Program(self.desktop, "unsigned-keyless", wait_for_window=WINDOW)
            self.assertFalse(self.server.requested("/update/update.json.sig"))

    def test_replayed_signed_descriptions_of_this_build_or_older_are_not_offered(self):
        # The store holds no Update value (setUp): only the build's own number stands in the way.
        running = running_build()
        for version in (running, running - 1):
            with self.subTest(version=version):
                self.server.reset()
                self.server.describe(signing_key=self.key, version=version, updateInfo=NOTES, forceUpdate=True,
                                     url="http://127.0.0.1:9/dl/" + INSTALLER, fileMd5=self.digest)
                program = Program(self.desktop, f"replay-{version}", exe=self.keyed)
                self.assertTrue(self.server.requested("/update/update.json.sig"), "the signature was checked")
                time.sleep(1)
                self.assertNotIn((WINDOW, "*"), program.controls())
                self.assertIsNone(program.process.poll(), "a forced old description does not end the program")
                self.desktop.stop_wine()
        # One build later the same signed description is offered: the replays were refused for their age.
        program = self.offer("replay-next", exe=self.keyed, signing_key=self.key, version=running + 1,
                             url="http://127.0.0.1:9/dl/" + INSTALLER)
        self.assertEqual(program.control(WINDOW, "version").text, str(running + 1))

    def test_wrong_sha256_ends_in_retry_with_the_file_gone(self):
        url = self.serve_installer()
        program = self.offer("sha256-mismatch", exe=self.keyed, signing_key=self.key, url=url, fileMd5=self.digest,
                             fileSha256="0" * 64)
        program.click(WINDOW, "btnUpdate")
        self.wait_for_retry(program)
        self.assertTrue(self.server.requested("/dl/" + INSTALLER))
        self.assertEqual(self.temp_files(), [], "the download is deleted")
        time.sleep(1)
        self.assertFalse(self.marker.exists(), "a mismatching installer is never started")

    def test_endless_installer_stops_at_the_cap_and_leaves_nothing(self):
        self.server.register(path="/dl/" + INSTALLER, endless=True)
        program = self.offer("endless", url=self.server.base + "/dl/" + INSTALLER, fileMd5=self.digest)
        program.click(WINDOW, "btnUpdate")
        program.control(WINDOW, "upProgressWindow", timeout=10, where=lambda c: c.visible)
        self.wait_for_retry(program, timeout=300)
        self.assertEqual(self.temp_files(), [], "the partial file is deleted")
        # The program took bytes up to the cap, then hung up (the rest sat in socket buffers).
        streamed = self.server.log()["streamed"].get("/dl/" + INSTALLER, 0)
        self.assertGreaterEqual(streamed, 256 * MiB)
        self.assertLess(streamed, 320 * MiB)
        program.photograph(WINDOW, "update-endless-retry.png")
        self.assert_still_responsive(program)

    def test_bytes_past_the_announced_length_are_never_kept(self):
        # The installer padded to 1 MiB (a program runs with bytes after its end)
        # is announced as 1 MiB, then 49 MiB more follow on the connection.
        padded = self.desktop.dir / "padded-installer.exe"
        data = self.installer.read_bytes()
        padded.write_bytes(data + b"\0" * (MiB - len(data)))
        self.server.register(path="/dl/" + INSTALLER, file=str(padded), announce=MiB, excess=49 * MiB)
        digest = hashlib.md5(padded.read_bytes()).hexdigest()
        sha256 = hashlib.sha256(padded.read_bytes()).hexdigest()
        program = self.offer("announced", exe=self.keyed, signing_key=self.key,
                             url=self.server.base + "/dl/" + INSTALLER, fileMd5=digest, fileSha256=sha256)
        program.click(WINDOW, "btnUpdate")
        # Only a file of exactly the announced bytes has these digests and starts.
        self.assertEqual(program.exit_code(timeout=120), 0)
        wait_for(self.marker.exists, 20, what="the installer's marker")


class UpdateDownloads(UpdateTestCase):
    """Statuses, stalls and protocols of the installer download."""

    def install(self, name, url):
        # A started update is recorded as installed and never offered again:
        # each install is of a newer build, downloaded under the same name.
        self.build = getattr(self, "build", 8) + 1
        program = self.offer(name, url=url, fileMd5=self.digest, version=self.build)
        program.click(WINDOW, "btnUpdate")
        self.assertEqual(program.exit_code(timeout=90), 0, "the installer started")
        wait_for(self.marker.exists, 20, what="the installer's marker")
        self.marker.unlink()

    def assert_retry(self, program, timeout):
        program.control(WINDOW, "btnUpdate", timeout=timeout, where=lambda c: c.text == "重试")
        self.assertFalse(program.control(WINDOW, "upProgressWindow").visible)
        self.assertFalse(self.marker.exists(), "nothing started")

    def test_earlier_download_redirects_and_ignored_ranges_all_give_the_installer(self):
        # A file planted where downloads used to go stays as it was.
        planted = self.temp_dirs()[0] / INSTALLER
        planted.write_bytes(b"planted")
        url = self.serve_installer(last_modified="Mon, 04 Mar 2019 08:00:00 GMT")
        self.install("complete-first", url)
        self.install("complete-again", url)
        size = self.installer.stat().st_size
        self.assertEqual(self.server.requested("/dl/" + INSTALLER)[-1]["range"], f"bytes={size}-",
                         "the second run found the whole file and the server answered 416")
        for status in (301, 307, 308):
            self.server.register(path="/dl/moved.exe", redirect="/dl/" + INSTALLER, redirect_status=status,
                                 redirect_body="<html>moved</html>")
            self.install(f"redirect-{status}", self.server.base + "/dl/moved.exe")
        self.serve_installer(last_modified="Mon, 04 Mar 2019 08:00:00 GMT", ignore_range=True)
        self.install("ignores-range", url)
        self.assertEqual(planted.read_bytes(), b"planted")
        planted.unlink()

    def test_silent_servers_and_other_protocols_end_in_retry(self):
        cases = {
            "silent probe": self.server.silent_base + "/dl/" + INSTALLER,
            "silent transfer": self.serve_installer(stall_get=True),
            "a local file": "file:///C:/windows/win.ini",
        }
        self.server.register(path="/dl/local.exe", redirect="file:///C:/windows/win.ini")
        cases["a redirect to a local file"] = self.server.base + "/dl/local.exe"
        for what, url in cases.items():
            with self.subTest(what):
                program = self.offer("refused", url=url, fileMd5=self.digest)
                program.click(WINDOW, "btnUpdate")
                # 30 s without a byte ends a transfer; room for a loaded machine.
                self.assert_retry(program, 120)
                self.assertEqual([f for f in self.temp_files() if f.name.endswith("win.ini")], [])
                self.desktop.stop_wine()


if __name__ == "__main__":
    unittest.main(verbosity=2)
