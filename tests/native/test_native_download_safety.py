"""The native zintra's installer download against another user and hostile
servers. The program runs as a user the test creates; a second created user
plants files and links in a shared sticky folder (the program's TMPDIR) under
every name a download could take. The download goes to the user's private
cache folder instead, nothing planted changes, and what is opened is a copy
the program checked. A cache folder of the other user, or one behind a link,
is refused. Statuses: an earlier complete download answered with 416 opens
again without a retry, 301/303/307/308 redirects give the file, a server that
ignores Range replaces the partial file, and a silent server ends in "重试"."""

import hashlib
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent / "e2e"))
from native_harness import NativeProgram, NativeTestCase, wait_for  # noqa: E402
from server_harness import TransferServer  # noqa: E402

WINDOW = "UpdateWindow"
PACKAGE = "zintra_9_amd64.deb"
# 30 s without a byte ends a transfer; generous room on a busy machine.
SILENT_BOUND = 120


def create_user(name):
    subprocess.run(["useradd", "--no-create-home", "--no-user-group", "--shell", "/usr/sbin/nologin", name],
                   check=True, capture_output=True)
    return pwd.getpwnam(name)


class UserProgram(NativeProgram):
    """zintra started as the test's user, its control map in that user's home."""

    def __init__(self, case, name):
        self.desktop = case.desktop
        self.name = name
        self.map_path = case.home / f"{name}.map"
        self.map_path.unlink(missing_ok=True)
        env = dict(case.env, ZINTRA_UI_MAP=str(self.map_path))
        with open(case.desktop.dir / f"{name}.log", "ab") as out:
            self.process = subprocess.Popen([os.environ["ZINTRA_NATIVE"]], env=env, stdout=out, stderr=out,
                                            user=case.user.pw_uid, group=case.user.pw_gid, extra_groups=[],
                                            start_new_session=True)
        case.desktop.processes.append(self.process)
        self.window(WINDOW)


@unittest.skipUnless(os.geteuid() == 0, "creates users")
class NativeDownloadSafety(NativeTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        tag = str(os.getpid())
        cls.user = create_user("zdluser" + tag)
        cls.planter = create_user("zdlplant" + tag)
        cls.server = TransferServer()
        cls.package = cls.desktop.dir / PACKAGE
        cls.package.write_bytes(b"!<arch>\n" + os.urandom(200000))
        cls.digest = hashlib.md5(cls.package.read_bytes()).hexdigest()

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        cls.server.close()
        for user in (cls.user, cls.planter):
            subprocess.run(["userdel", user.pw_name], capture_output=True)

    def setUp(self):
        self.server.reset()
        self.home = Path(tempfile.mkdtemp(prefix="zintra-dl-home-"))
        self.shared = Path(tempfile.mkdtemp(prefix="zintra-dl-shared-"))
        self.shared.chmod(0o1777)
        (self.home / "runtime").mkdir(mode=0o700)
        bin_dir = self.home / "bin"
        bin_dir.mkdir()
        self.opened = self.home / "opened.txt"
        (bin_dir / "xdg-open").write_text(f'#!/bin/sh\nprintf "%s\\n" "$@" >> "{self.opened}"\n')
        (bin_dir / "xdg-open").chmod(0o755)
        self.precious = self.home / "precious.txt"
        self.precious.write_text("the user's own file")
        for path in [self.home, *self.home.rglob("*")]:
            os.lchown(path, self.user.pw_uid, self.user.pw_gid)
        self.home.chmod(0o700)
        self.downloads = self.home / ".cache" / "zintra" / "downloads"
        self.env = dict(self.desktop.env, HOME=str(self.home), XDG_CONFIG_HOME=str(self.home / "config"),
                        XDG_RUNTIME_DIR=str(self.home / "runtime"), TMPDIR=str(self.shared),
                        PATH=f"{bin_dir}:{os.environ['PATH']}",
                        ZINTRA_UPDATE_URL=self.server.base + "/update/update.json",
                        ZINTRA_REPORT_URL=self.server.base + "/data.html")

    def tearDown(self):
        super().tearDown()
        shutil.rmtree(self.home, ignore_errors=True)
        shutil.rmtree(self.shared, ignore_errors=True)

    def plant(self, path, target=None, text=None):
        """A link (to target) or a file (with text) of the other user."""
        if target is not None:
            os.symlink(target, path)
        else:
            path.write_text(text)
            path.chmod(0o666)
        os.lchown(path, self.planter.pw_uid, self.planter.pw_gid)

    def planted_state(self):
        return sorted((p.name, os.readlink(p) if p.is_symlink() else p.read_text(), p.lstat().st_uid)
                      for p in self.shared.rglob("*"))

    def offer(self, name, url):
        # A started update is recorded as installed and never offered again:
        # each offer is of a newer build, downloaded under the same name.
        self.build = getattr(self, "build", 8) + 1
        self.server.describe(version=self.build, updateInfo="notes", url=url, fileMd5=self.digest)
        return UserProgram(self, name)

    def serve(self, path="/dl/" + PACKAGE, **settings):
        self.server.register(path=path, file=str(self.package), last_modified="Mon, 04 Mar 2019 08:00:00 GMT",
                             **settings)
        return self.server.base + path

    def assert_opened_the_package(self, program, runs=1):
        self.assertEqual(program.exit_code(timeout=90), 0, "the program ends once the package is opened")
        wait_for(lambda: self.opened.exists() and len(self.opened.read_text().splitlines()) >= runs, 20,
                 what="the opener to be called")
        opened = Path(self.opened.read_text().splitlines()[-1])
        self.assertEqual(opened, self.downloads / ("verified-" + PACKAGE))
        self.assertEqual(opened.read_bytes(), self.package.read_bytes())
        self.assertEqual(opened.stat().st_uid, self.user.pw_uid)

    def assert_retry_offered(self, program, timeout):
        program.control(WINDOW, "btnUpdate", timeout=timeout, where=lambda c: c.text == "重试")
        self.assertFalse(program.control(WINDOW, "upProgressWindow").visible)
        self.assertFalse(self.opened.exists(), "nothing is opened")

    def test_planted_files_and_links_in_the_shared_folder_stay_untouched(self):
        for name in (PACKAGE, PACKAGE + ".cfg", "first.deb", "first.deb.cfg", "verified-" + PACKAGE):
            self.plant(self.shared / name, target=self.precious)
        self.plant(self.shared / (PACKAGE + ".cfg.new"), text="planted")
        before = self.planted_state()
        self.serve()
        self.server.register(path="/dl/first.deb", redirect="/dl/" + PACKAGE)
        program = self.offer("planted", self.server.base + "/dl/first.deb")
        program.click(WINDOW, "btnUpdate")
        self.assert_opened_the_package(program)
        self.assertEqual(self.precious.read_text(), "the user's own file")
        self.assertEqual(self.planted_state(), before)
        self.assertEqual(os.stat(self.downloads).st_mode & 0o777, 0o700)

    def test_a_cache_folder_of_another_user_or_behind_a_link_is_refused(self):
        foreign = self.shared / "foreign-cache"
        foreign.mkdir()
        foreign.chmod(0o777)
        os.chown(foreign, self.planter.pw_uid, self.planter.pw_gid)
        link = self.home / "cache-link"
        link.symlink_to(self.home / "runtime")
        os.lchown(link, self.user.pw_uid, self.user.pw_gid)
        self.serve()
        for cache in (foreign, link):
            with self.subTest(cache=cache.name):
                # No runtime folder to fall back on either.
                self.env.update(XDG_CACHE_HOME=str(cache))
                self.env.pop("XDG_RUNTIME_DIR", None)
                program = self.offer("refused-" + cache.name, self.server.base + "/dl/" + PACKAGE)
                program.click(WINDOW, "btnUpdate")
                self.assert_retry_offered(program, 30)
                self.assertEqual(list(foreign.iterdir()), [], "nothing made in the other user's folder")
                self.assertEqual(list((self.home / "runtime").iterdir()), [])
                self.desktop.stop_all()

    def test_an_earlier_complete_download_opens_again_without_a_retry(self):
        url = self.serve()
        for run in (1, 2):
            program = self.offer(f"complete-{run}", url)
            program.click(WINDOW, "btnUpdate")
            self.assert_opened_the_package(program, runs=run)
        ranges = [r["range"] for r in self.server.requested("/dl/" + PACKAGE)]
        self.assertEqual(ranges[-1], f"bytes={self.package.stat().st_size}-", "the second run asked for the rest")

    def test_redirects_of_every_kind_give_the_package(self):
        self.serve()
        for status in (301, 303, 307, 308):
            with self.subTest(status=status):
                shutil.rmtree(self.downloads, ignore_errors=True)
                self.server.register(path="/dl/moved.deb", redirect="/dl/" + PACKAGE, redirect_status=status,
                                     redirect_body="<html>moved</html>")
                program = self.offer(f"redirect-{status}", self.server.base + "/dl/moved.deb")
                program.click(WINDOW, "btnUpdate")
                self.assert_opened_the_package(program, runs=1)
                self.opened.unlink()

    def test_a_server_that_ignores_range_replaces_the_partial_file(self):
        url = self.serve(truncate_at=50000)
        program = self.offer("ignores-range", url)
        program.click(WINDOW, "btnUpdate")
        self.assert_retry_offered(program, 60)
        self.serve(ignore_range=True)
        program.click(WINDOW, "btnUpdate")
        self.assert_opened_the_package(program)
        self.assertEqual(self.server.requested("/dl/" + PACKAGE)[-1]["range"], "bytes=50000-")

    def test_a_silent_server_ends_in_retry(self):
        url = self.serve(stall_get=True)
        for case, address in (("probe", self.server.silent_base + "/dl/" + PACKAGE), ("transfer", url)):
            with self.subTest(case=case):
                program = self.offer("silent-" + case, address)
                program.click(WINDOW, "btnUpdate")
                program.control(WINDOW, "upProgressWindow", timeout=10, where=lambda c: c.visible)
                started = time.monotonic()
                self.assert_retry_offered(program, SILENT_BOUND)
                self.assertLess(time.monotonic() - started, SILENT_BOUND)
                self.desktop.stop_all()


if __name__ == "__main__":
    unittest.main(verbosity=2)
