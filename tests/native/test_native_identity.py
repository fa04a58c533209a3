"""What the native zintra tells the desktop about its windows: the class of its
desktop entry (so a dock shows one icon for entry and window), its process id
and machine, the end of the launcher's startup notification once the window
shows or the program starts hidden (and the launch id is not handed on to the
programs it opens), and that the settings window and the custom dialogs are
modal dialogs of the main window."""

import configparser
import os
import re
import socket
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from native_harness import NativeProgram, NativeTestCase, XEmbedTray, wait_for  # noqa: E402

ENTRY_DIR = HERE.parents[1] / "installer" / "debian"
CUSTOM_HOTKEY_ENTRY = 12
CUSTOM_INTERVAL_ENTRY = 9


def desktop_entry():
    """(its id, its [Desktop Entry] section) of the package's desktop entry."""
    path = next(ENTRY_DIR.glob("*.desktop"))
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(path, encoding="utf-8")
    return path.name[:-len(".desktop")], parser["Desktop Entry"]


class NativeIdentity(NativeTestCase):
    def xprop(self, window, *names):
        return subprocess.run(["xprop", "-id", str(window), *names], env=self.desktop.env, capture_output=True,
                              text=True, timeout=30).stdout

    def windows_of(self, program):
        """The visible X windows whose _NET_WM_PID is the program's."""
        found = self.desktop.xdotool("search", "--onlyvisible", "--pid", program.process.pid)
        return [int(w) for w in found.split()]

    def test_the_main_window_carries_the_entrys_class_its_process_and_machine(self):
        program = NativeProgram(self.desktop, "identity")
        windows = self.windows_of(program)
        self.assertEqual(len(windows), 1, "the main window, found by its process id")
        text = self.xprop(windows[0], "WM_CLASS", "WM_CLIENT_MACHINE", "_NET_WM_PID", "_NET_WM_WINDOW_TYPE")
        entry_id, entry = desktop_entry()
        classes = re.search(r'WM_CLASS\(STRING\) = "([^"]*)", "([^"]*)"', text)
        self.assertIsNotNone(classes, text)
        self.assertEqual(classes.group(2), entry_id)
        self.assertEqual(entry.get("StartupWMClass"), classes.group(2))
        self.assertEqual(classes.group(1), "zintra")
        self.assertIn(f"_NET_WM_PID(CARDINAL) = {program.process.pid}", text)
        self.assertIn(f'WM_CLIENT_MACHINE(STRING) = "{socket.gethostname()}"', text)
        self.assertNotIn("_NET_WM_WINDOW_TYPE_DIALOG", text)

    def test_the_settings_window_and_the_custom_dialogs_are_modal_dialogs_of_the_main_window(self):
        program = NativeProgram(self.desktop, "dialogs")
        main = self.windows_of(program)[0]
        for opened, window, close in (
                (lambda: program.click("mainWindow", "btn_Sett"), "SettingWindow", "btn_close"),
                (lambda: program.choose("mainWindow", "cbx_hotkey", CUSTOM_HOTKEY_ENTRY), "customWindow", "btn_cancel"),
                (lambda: program.choose("mainWindow", "cbx_Time", CUSTOM_INTERVAL_ENTRY), "customWindow", "btn_cancel")):
            with self.subTest(window=window):
                opened()
                program.window(window)
                dialogs = [w for w in self.windows_of(program) if w != main]
                self.assertEqual(len(dialogs), 1)
                text = self.xprop(dialogs[0], "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "WM_TRANSIENT_FOR", "WM_CLASS")
                self.assertIn("_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_DIALOG", text)
                self.assertRegex(text, r"_NET_WM_STATE\(ATOM\) = .*_NET_WM_STATE_MODAL")
                self.assertIn(f"window id # 0x{main:x}", text)
                self.assertIn(desktop_entry()[0], text)
                program.click(window, close)
                wait_for(lambda: not program.window_visible(window), 10, what=f"{window} to close")

    def listen(self, name):
        log = self.desktop.dir / f"{name}-startup.txt"
        log.unlink(missing_ok=True)
        self.desktop.start(os.environ["ZINTRA_X11_STARTUP_LISTENER"], log, log_name=f"{name}-listener.log")
        wait_for(log.exists, 10, what="the startup listener")
        time.sleep(0.2)
        return log

    def test_the_launchers_startup_notification_ends_when_the_window_shows_and_is_not_handed_on(self):
        log = self.listen("startup")
        opened = self.desktop.dir / "opener-environment.txt"
        opened.unlink(missing_ok=True)
        bin_dir = self.desktop.home / "bin"
        bin_dir.mkdir(exist_ok=True)
        opener = bin_dir / "xdg-open"
        opener.write_text(f'#!/bin/sh\necho "id=${{DESKTOP_STARTUP_ID-unset}}" > "{opened}"\n')
        opener.chmod(0o755)
        env = dict(self.desktop.env, DESKTOP_STARTUP_ID="launcher-42 with \"blank\"_TIME1234",
                   PATH=f"{bin_dir}:{os.environ['PATH']}")
        saved, self.desktop.env = self.desktop.env, env
        try:
            program = NativeProgram(self.desktop, "startup")
        finally:
            self.desktop.env = saved
        wait_for(lambda: log.read_text(), 10, what="the startup message")
        self.assertEqual(log.read_text().splitlines(), ['remove: ID="launcher-42 with \\"blank\\"_TIME1234"'])
        main = self.windows_of(program)[0]
        self.assertIn('_NET_STARTUP_ID(UTF8_STRING) = "launcher-42', self.xprop(main, "_NET_STARTUP_ID"))
        # A second window does not end the start again.
        program.click("mainWindow", "btn_Sett")
        program.window("SettingWindow")
        self.desktop.xdotool("key", "Escape")
        program.click("mainWindow", "logo_url")
        wait_for(opened.exists, 10, what="the opener")
        self.assertEqual(opened.read_text().strip(), "id=unset")
        self.assertEqual(len(log.read_text().splitlines()), 1)

    def test_a_hidden_start_ends_the_startup_notification_without_a_window(self):
        log = self.listen("hidden")
        tray = XEmbedTray(self.desktop, "identity-tray")  # hidden only where an icon shows
        self.addCleanup(tray.stop)
        env = dict(self.desktop.env, DESKTOP_STARTUP_ID="hidden-start_TIME99")
        saved, self.desktop.env = self.desktop.env, env
        try:
            program = NativeProgram(self.desktop, "hidden", "-auto", wait_for_window=None)
        finally:
            self.desktop.env = saved
        wait_for(lambda: log.read_text(), 20, what="the startup message")
        self.assertEqual(log.read_text().splitlines(), ["remove: ID=hidden-start_TIME99"])
        self.assertEqual(self.windows_of(program), [])

    def test_without_a_launch_id_nothing_is_announced(self):
        log = self.listen("plain")
        NativeProgram(self.desktop, "plain")
        time.sleep(1)
        self.assertEqual(log.read_text(), "")


if __name__ == "__main__":
    unittest.main(verbosity=2)
