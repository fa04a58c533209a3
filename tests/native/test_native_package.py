"""The Debian package: made by scripts/make_deb.py from the built zintra,
clean by lintian (no errors), its desktop entry and AppStream metainfo valid,
installed into a throwaway root with its own dpkg database (the machine's own
is left as it was), where the installed program runs on a virtual display;
removed again, every file it brought is gone and the user's settings stay."""

import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from native_harness import NativeDesktop, NativeProgram, read_store, wait_for  # noqa: E402

ROOT = HERE.parent.parent
VERSION = os.environ["ZINTRA_VERSION"]
APP_ID = "example.zintra.Zintra"
ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]
EXPECTED = ["usr/bin/zintra", f"usr/share/applications/{APP_ID}.desktop",
            f"usr/share/metainfo/{APP_ID}.metainfo.xml", "usr/share/doc/zintra/copyright",
            "usr/share/doc/zintra/changelog.gz", "usr/share/man/man1/zintra.1.gz",
            *[f"usr/share/icons/hicolor/{s}x{s}/apps/zintra.png" for s in ICON_SIZES]]


def digest(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest() if Path(path).exists() else None


def png_size(path):
    data = Path(path).read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    return int.from_bytes(data[16:20], "big"), int.from_bytes(data[20:24], "big")


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = Path(tempfile.mkdtemp(prefix="zintra-package-"))
        made = subprocess.run([sys.executable, str(ROOT / "scripts" / "make_deb.py"), "--program",
                               os.environ["ZINTRA_NATIVE"], "--version", VERSION, "--out", str(cls.work / "out")],
                              capture_output=True, text=True, timeout=300)
        assert made.returncode == 0, made.stderr
        cls.deb = cls.work / "out" / f"zintra_{VERSION}_amd64.deb"

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def field(self, name):
        return subprocess.run(["dpkg-deb", "-f", str(self.deb), name], capture_output=True, text=True,
                              check=True).stdout.strip()

    def dpkg(self, root, *args):
        """dpkg on the throwaway root: its own database under root/var/lib/dpkg. The
        package's libraries and font are not in that database, so dependencies are
        not checked there (--force-depends); a user other than root also needs
        --force-not-root."""
        forced = ["--force-depends"] + (["--force-not-root"] if os.geteuid() != 0 else [])
        result = subprocess.run(["dpkg", f"--root={root}", *forced, *args], capture_output=True, text=True,
                                timeout=120)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        return result

    def test_package_is_named_and_described_as_lintian_wants(self):
        self.assertTrue(self.deb.exists(), self.deb)
        self.assertEqual(self.field("Package"), "zintra")
        self.assertEqual(self.field("Version"), VERSION)
        self.assertEqual(self.field("Architecture"), "amd64")
        depends = self.field("Depends")
        for library in ("libx11-6", "libxtst6", "libcurl4", "libfreetype6", "libfontconfig1"):
            self.assertIn(library, depends, "worked out from the program's libraries")
        self.assertIn("fonts-wqy-microhei", depends, "the Chinese texts need a CJK font")
        lintian = shutil.which("lintian")
        self.assertIsNotNone(lintian, "lintian (scripts/setup-deps.sh installs it)")
        result = subprocess.run([lintian, "--tag-display-limit", "0", str(self.deb)], capture_output=True, text=True,
                                timeout=600)
        errors = [line for line in result.stdout.splitlines() if line.startswith("E:")]
        self.assertEqual(errors, [], result.stdout)

    def test_installs_runs_and_removes_in_a_throwaway_root(self):
        host_status = digest("/var/lib/dpkg/status")
        host_had_zintra = Path("/usr/bin/zintra").exists()
        root = self.work / "root"
        admin = root / "var" / "lib" / "dpkg"
        for folder in ("info", "updates", "triggers"):
            (admin / folder).mkdir(parents=True)
        (admin / "status").touch()
        (admin / "available").touch()

        self.dpkg(root, "--install", str(self.deb))
        for path in EXPECTED:
            self.assertTrue((root / path).is_file(), path)
        self.assertTrue(os.access(root / "usr/bin/zintra", os.X_OK))
        for size in ICON_SIZES:
            self.assertEqual(png_size(root / f"usr/share/icons/hicolor/{size}x{size}/apps/zintra.png"), (size, size))
        listed = self.dpkg(root, "--listfiles", "zintra").stdout.split()
        self.assertIn("/usr/bin/zintra", listed)

        entry = root / f"usr/share/applications/{APP_ID}.desktop"
        self.assertIn("Exec=zintra\n", entry.read_text())
        self.assertIn("Icon=zintra\n", entry.read_text())
        if shutil.which("desktop-file-validate"):
            check = subprocess.run(["desktop-file-validate", str(entry)], capture_output=True, text=True)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        if shutil.which("appstreamcli"):
            check = subprocess.run(["appstreamcli", "validate", "--no-net",
                                    str(root / f"usr/share/metainfo/{APP_ID}.metainfo.xml")],
                                   capture_output=True, text=True)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)

        # The installed (stripped) program runs, and saves its settings on closing.
        desktop = NativeDesktop("DebianPackage")
        saved = os.environ["ZINTRA_NATIVE"]
        os.environ["ZINTRA_NATIVE"] = str(root / "usr/bin/zintra")
        try:
            program = NativeProgram(desktop, "installed")
            desktop.screenshot("installed-program.png")
            program.click("mainWindow", "type_right")
            self.assertTrue(program.close())
            self.assertEqual(program.exit_code(), 0)
            wait_for(lambda: "mousedata" in (read_store(desktop.store_path) or {}), 10, what="the saved settings")
            record = read_store(desktop.store_path)["mousedata"][1]
            self.assertEqual(struct.unpack_from("<i", record, 8)[0], 1, "the right click was saved")
            settings = desktop.store_path.read_bytes()

            self.dpkg(root, "--purge", "zintra")
            for path in EXPECTED:
                self.assertFalse((root / path).exists(), path)
            left = [str(p.relative_to(root)) for p in (root / "usr").rglob("*") if not p.is_dir()]
            self.assertEqual(left, [], "every file the package brought is gone")
            self.assertEqual(desktop.store_path.read_bytes(), settings, "the user's settings stay")
        finally:
            os.environ["ZINTRA_NATIVE"] = saved
            desktop.close()

        self.assertEqual(digest("/var/lib/dpkg/status"), host_status, "the machine's dpkg database is untouched")
        self.assertEqual(Path("/usr/bin/zintra").exists(), host_had_zintra)


if __name__ == "__main__":
    unittest.main(verbosity=2)
