"""zintra-setup.exe under Wine: a silent per-user install with shortcuts, an
uninstall entry and the installation report; the installed program clicks;
an upgrade over a running copy keeps the user's settings; a silent uninstall
reports, removes everything it made and keeps the settings."""

import os
import struct
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from server_harness import ServerTestCase  # noqa: E402
from wine_harness import PROGRAM_KEY, ClickTarget, wait_for  # noqa: E402

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zintra"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"


class Installer(ServerTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.desktop.env["ZINTRA_REPORT_URL"] = cls.server.base + "/data.html"
        profile = next(p for p in (cls.desktop.prefix / "drive_c" / "users").iterdir()
                       if p.name != "Public" and (p / "AppData").exists())
        cls.install_dir = profile / "AppData" / "Local" / "Programs" / "Zintra"
        cls.start_menu = profile / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Zintra"

    def setup_exe(self):
        return os.environ["ZINTRA_SETUP"]

    def install(self):
        result = self.desktop.run(self.setup_exe(), "/S", timeout=120)
        self.assertEqual(result.returncode, 0)
        wait_for(lambda: (self.install_dir / "zintra.exe").exists(), 30, what="the installed program")

    def uninstall(self):
        self.desktop.run(str(self.install_dir / "uninstall.exe"), "/S", timeout=120)
        # The uninstaller finishes from a copy of itself in the temporary directory.
        wait_for(lambda: not (self.install_dir / "zintra.exe").exists(), 60, what="the removal")

    def test_install_run_upgrade_and_uninstall(self):
        self.server.reset()
        self.desktop.reg("delete", r"HKCU\SOFTWARE\ZintraMouse", "/f")
        self.install()
        self.assertTrue((self.install_dir / "uninstall.exe").exists())
        self.assertTrue((self.start_menu / "Zintra鼠标连点器.lnk").exists())
        entry = self.desktop.query_value(UNINSTALL_KEY, "DisplayVersion")
        self.assertEqual(entry, ("REG_SZ", "1.0.0.1"))
        wait_for(lambda: self.server.events() == ["1"], 30, what="the installation report")
        self.assertIsNotNone(self.desktop.query_value(PROGRAM_KEY, "lastRunTime"))
        self.desktop.stop_wine()
        self.assertEqual(self.desktop.stored_text(UNINSTALL_KEY, "DisplayName"), "Zintra鼠标连点器")
        self.assertEqual(self.desktop.stored_text(UNINSTALL_KEY, "Publisher"), "Zintra")

        # The installed program starts from its own folder and clicks.
        record = bytearray(424)
        struct.pack_into("<ifIIi", record, 8, 1, 0.1, 0x77, 0, 1)  # right clicks
        self.desktop.set_mouse_data(bytes(record))
        target = ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        running = self.desktop.start(self.install_dir / "zintra.exe")
        time.sleep(2.5)
        self.desktop.move_pointer(*target.centre())
        self.desktop.press_keys(target.window, "F8")
        time.sleep(1.0)
        self.desktop.press_keys(target.window, "F8")
        time.sleep(0.3)
        self.assertGreaterEqual(len(target.downs("RD")), 4)

        # Upgrade in place while it runs: it is asked to end, saving the settings.
        self.install()
        self.assertIsNotNone(running.wait(30) if running.poll() is None else running.returncode)
        mouse_data = self.desktop.query_value(PROGRAM_KEY, "MouseData")
        self.assertIsNotNone(mouse_data)
        self.assertEqual(struct.unpack_from("<i", bytes.fromhex(mouse_data[1]), 8)[0], 1, "settings kept")

        # Start with the system was switched on meanwhile; the uninstaller removes it.
        self.desktop.reg("add", RUN_KEY, "/v", "ZintraMouseAuto", "/t", "REG_SZ", "/d",
                         f'"{self.install_dir / "zintra.exe"}" -auto', "/f")
        self.server.reset()
        self.uninstall()
        wait_for(lambda: self.server.events() == ["2"], 30, what="the removal report")
        wait_for(lambda: self.desktop.query_value(UNINSTALL_KEY, "DisplayName") is None, 30, what="the entry to go")
        self.assertFalse((self.start_menu / "Zintra鼠标连点器.lnk").exists())
        self.assertIsNone(self.desktop.query_value(RUN_KEY, "ZintraMouseAuto"))
        self.assertIsNotNone(self.desktop.query_value(PROGRAM_KEY, "MouseData"), "the user's settings stay")


if __name__ == "__main__":
    unittest.main(verbosity=2)
