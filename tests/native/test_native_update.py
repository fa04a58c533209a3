"""Updates and usage reports of the native zintra against the tests' loopback
server: a newer Linux build is offered in the update window before any main
window, downloaded into the user's private cache folder (never the shared
temporary folder), checked against its digest and opened with xdg-open (a
stand-in first on PATH records what it is asked to open), and its build is
recorded so it is not offered again; a wrong digest deletes the download and
offers "重试"; a build with no update address asks nothing and starts
normally; the daily report carries the first non-loopback adapter's hardware
address. A build configured with an update key (zintra_keyed, keyed with a
pair made for the tests) offers no signed description of its own build or an
older one: old descriptions replayed never downgrade it, nor end it when they
were forced."""

import hashlib
import json
import os
import shutil
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent / "e2e"))
from native_harness import NativeProgram, NativeServerTestCase, NativeTestCase, read_store, wait_for  # noqa: E402
from server_harness import TransferServer, running_build  # noqa: E402

WINDOW = "UpdateWindow"
PACKAGE = "zintra_9_amd64.deb"
NOTES = "1. Clicks keep their pace after sleep\n2. Starts with the desktop"


def first_adapter_address():
    """The hardware address of the first interface by index that is not the
    loopback, has a six-byte non-zero address and is up; else the first such
    interface that is down."""
    candidates = []
    for link in Path("/sys/class/net").iterdir():
        try:
            index = int((link / "ifindex").read_text())
            flags = int((link / "flags").read_text(), 16)
            address = (link / "address").read_text().strip()
        except (OSError, ValueError):
            continue
        parts = address.split(":")
        if flags & 0x8 or len(parts) != 6 or address == "00:00:00:00:00:00":
            continue
        candidates.append((not flags & 0x1, index, "-".join(p.upper() for p in parts)))
    return min(candidates)[2] if candidates else ""


class NativeUpdate(NativeServerTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.package = cls.desktop.dir / "package" / PACKAGE
        cls.package.parent.mkdir(parents=True, exist_ok=True)
        cls.package.write_bytes(b"!<arch>\n" + os.urandom(300000))
        cls.digest = hashlib.md5(cls.package.read_bytes()).hexdigest()
        # A stand-in for the desktop's opener that records its arguments.
        cls.opened = cls.desktop.dir / "xdg-open-calls.txt"
        bin_dir = cls.desktop.home / "bin"
        bin_dir.mkdir()
        opener = bin_dir / "xdg-open"
        opener.write_text(f'#!/bin/sh\nprintf "%s\\n" "$@" >> "{cls.opened}"\n')
        opener.chmod(0o755)
        cls.temp = cls.desktop.home / "tmp"
        cls.temp.mkdir()
        cls.downloads = cls.desktop.home / ".cache" / "zintra" / "downloads"
        cls.desktop.env.update({
            "PATH": f"{bin_dir}:{os.environ['PATH']}",
            "TMPDIR": str(cls.temp),
            "ZINTRA_UPDATE_URL": cls.server.base + "/update/update.json",
        })

    def setUp(self):
        super().setUp()
        self.opened.unlink(missing_ok=True)
        shutil.rmtree(self.downloads, ignore_errors=True)

    def offer(self, name, **description):
        description.setdefault("version", 9)
        description.setdefault("updateInfo", NOTES)
        self.server.describe(**description)
        return NativeProgram(self.desktop, name, wait_for_window=WINDOW)

    def serve_package(self, **settings):
        self.server.register(path="/dl/" + PACKAGE, file=str(self.package), **settings)
        return self.server.base + "/dl/" + PACKAGE

    def test_newer_build_is_offered_downloaded_checked_and_opened(self):
        url = self.serve_package(chunks=20, delay=0.1)
        program = self.offer("update-open", url=url, fileMd5=self.digest)
        self.assertFalse(program.window_visible("mainWindow"), "offered before the main window shows")
        self.assertEqual(program.control(WINDOW, "version").text, "9")
        self.assertEqual(program.control(WINDOW, "txt_updateinfo").text.split(), NOTES.split())
        self.assertEqual(program.control(WINDOW, "btnUpdate").text, "立即更新")
        self.desktop.screenshot("update-offer.png")

        program.click(WINDOW, "btnUpdate")
        program.control(WINDOW, "upProgressWindow", timeout=10, where=lambda c: c.visible)
        self.desktop.screenshot("update-downloading.png")
        self.assertEqual(program.exit_code(timeout=60), 0, "the program ends once the package is opened")
        wait_for(self.opened.exists, 20, what="the opener to be called")
        opened = self.downloads / ("verified-" + PACKAGE)
        self.assertEqual(self.opened.read_text().splitlines(), [str(opened)])
        self.assertEqual(opened.read_bytes(), self.package.read_bytes())
        self.assertEqual(os.stat(self.downloads).st_mode & 0o777, 0o700)
        self.assertEqual(list(self.temp.iterdir()), [], "nothing in the shared temporary folder")
        self.assertEqual(len(self.server.requested("/update/update.json")), 1)
        self.assertFalse(program.window_visible("mainWindow"))
        self.assertEqual(read_store(self.desktop.store_path)["update"], (4, (9).to_bytes(4, "little")),
                         "the opened build is recorded as installed")
        # The same description at the next start: nothing to offer.
        again = NativeProgram(self.desktop, "update-open-again")
        self.assertNotIn((WINDOW, "*"), again.controls())
        self.assertEqual(len(self.server.requested("/update/update.json")), 2)

    def test_wrong_digest_deletes_the_download_and_offers_retry(self):
        self.serve_package()
        program = self.offer("update-mismatch", url=self.server.base + "/dl/" + PACKAGE, fileMd5="0" * 32)
        program.click(WINDOW, "btnUpdate")
        program.control(WINDOW, "btnUpdate", timeout=60, where=lambda c: c.text == "重试")
        self.assertFalse(program.control(WINDOW, "upProgressWindow").visible)
        self.assertTrue(self.server.requested("/dl/" + PACKAGE), "the package was downloaded")
        self.assertEqual(list(self.downloads.iterdir()), [], "the damaged download is deleted")
        self.desktop.screenshot("update-retry.png")
        time.sleep(1)
        self.assertFalse(self.opened.exists(), "a damaged package is never opened")
        self.assertIsNone(program.process.poll(), "the window stays open for another try")

    def test_declining_opens_the_main_window_and_reports_the_daily_run(self):
        self.serve_package()
        program = self.offer("update-decline", url=self.server.base + "/dl/" + PACKAGE, fileMd5=self.digest)
        program.click(WINDOW, "btnNotUpdate")
        program.window("mainWindow")
        self.assertFalse(self.opened.exists())
        wait_for(lambda: self.server.log()["reports"], 30, what="the daily usage report")
        verdict = self.server.log()["reports"][0]
        self.assertEqual(verdict["problems"], [])
        document = json.loads(verdict["plaintext"])
        self.assertEqual(document["items"][0]["types"], "3")
        self.assertEqual(document["mac"], first_adapter_address())

    def test_without_an_update_address_nothing_is_asked(self):
        self.server.describe(version=9, updateInfo=NOTES, url=self.server.base + "/dl/" + PACKAGE,
                             fileMd5=self.digest)
        env = dict(self.desktop.env)
        env.pop("ZINTRA_UPDATE_URL")
        saved, self.desktop.env = self.desktop.env, env
        try:
            program = NativeProgram(self.desktop, "update-none")
        finally:
            self.desktop.env = saved
        self.assertNotIn((WINDOW, "*"), program.controls())
        time.sleep(1)
        self.assertEqual(self.server.requested("/update/update.json"), [])


class NativeReplayedUpdates(NativeTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.server = TransferServer()
        cls.key = os.environ["ZINTRA_NATIVE_TEST_UPDATE_KEY"]
        cls.desktop.env["ZINTRA_UPDATE_URL"] = cls.server.base + "/update/update.json"

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        cls.server.close()

    def start_keyed(self, name, version, **description):
        """Starts the keyed build with a description of `version` signed by its key."""
        self.server.reset()
        self.desktop.store_path.unlink(missing_ok=True)  # nothing recorded: only the build itself says no
        self.server.describe(signing_key=self.key, version=version, updateInfo=NOTES,
                             url=self.server.base + "/dl/" + PACKAGE, fileMd5="0" * 32, **description)
        return NativeProgram(self.desktop, name, wait_for_window=None, exe=os.environ["ZINTRA_NATIVE_KEYED"])

    def test_replayed_signed_descriptions_of_this_build_or_older_are_not_offered(self):
        running = running_build()
        for version in (running, running - 1):
            with self.subTest(version=version):
                program = self.start_keyed(f"replay-{version}", version, forceUpdate=True)
                program.window("mainWindow")
                self.assertTrue(self.server.requested("/update/update.json.sig"), "the signature was checked")
                time.sleep(1)
                self.assertNotIn((WINDOW, "*"), program.controls())
                self.assertIsNone(program.process.poll(), "a forced old description does not end the program")
                self.desktop.stop_all()
        # The same signed description one build later is offered: the replays above were refused for their age.
        program = self.start_keyed("replay-next", running + 1)
        program.window(WINDOW)
        self.assertEqual(program.control(WINDOW, "version").text, str(running + 1))


if __name__ == "__main__":
    unittest.main(verbosity=2)
