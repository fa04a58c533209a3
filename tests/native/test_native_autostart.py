"""Start with the system on the native zintra: the box in the settings window
writes and removes the desktop's autostart entry ($XDG_CONFIG_HOME/autostart/
zintra.desktop) for the program at the path it runs from, with TryExec so a
removed program is not started; another program's entry is neither shown as
ours nor removed; an entry written without TryExec gains it when the program
starts; and the entry's command starts the program hidden where a tray shows
its icon, and with its window in sight where none does, its hotkey working."""

import os
import shlex
import shutil
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeProgram, NativeTestCase, X11ClickTarget, wait_for  # noqa: E402
from test_native_tray import XEmbedTray  # noqa: E402

WINDOW = "SettingWindow"
TAB_HEIGHT = 28
TAB_WIDTH = 100


def desktop_exec(value):
    """The arguments of an Exec value the way the desktop reads it (the value's
    escapes, then the quoting; no field codes in ours)."""
    text = value.replace("\\\\", "\0")
    for escape, char in (("\\s", " "), ("\\n", "\n"), ("\\t", "\t"), ("\\r", "\r")):
        text = text.replace(escape, char)
    return [arg.replace("%%", "%") for arg in shlex.split(text.replace("\0", "\\"))]


class NativeStartWithTheSystem(NativeTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # The program run from a folder with a blank in its name: the entry must quote it.
        cls.program_path = cls.desktop.home / "My Apps" / "zintra"
        cls.program_path.parent.mkdir()
        shutil.copy2(os.environ["ZINTRA_NATIVE"], cls.program_path)
        cls.entry = cls.desktop.home / "config" / "autostart" / "zintra.desktop"

    def setUp(self):
        self.entry.unlink(missing_ok=True)
        self.desktop.store_path.unlink(missing_ok=True)
        self.saved = os.environ["ZINTRA_NATIVE"]
        os.environ["ZINTRA_NATIVE"] = str(self.program_path)

    def tearDown(self):
        os.environ["ZINTRA_NATIVE"] = self.saved
        super().tearDown()

    def open_page(self, program):
        program.click("mainWindow", "btn_Sett")
        program.window(WINDOW)
        tabs = program.control(WINDOW, "tab_main")
        program.click_at(tabs.left + TAB_WIDTH + TAB_WIDTH // 2, tabs.top + TAB_HEIGHT // 2)
        time.sleep(0.8)  # the page slides in
        return program.control(WINDOW, "chk_setAutoRun", where=lambda c: c.visible)

    def confirm(self, program):
        program.click(WINDOW, "btn_sure")
        wait_for(lambda: not program.window_visible(WINDOW), 10, what="the settings window to close")
        time.sleep(0.5)

    def entry_values(self):
        values = {}
        group = None
        for line in self.entry.read_text(encoding="utf-8").splitlines():
            if line.startswith("["):
                group = line
            elif "=" in line and group == "[Desktop Entry]":
                key, value = line.split("=", 1)
                values.setdefault(key, value)
        return values

    def test_ticking_writes_the_entry_and_unticking_removes_it(self):
        program = NativeProgram(self.desktop, "autostart-tick")
        box = self.open_page(program)
        self.assertFalse(box.checked)
        program.click(WINDOW, "chk_setAutoRun")
        program.control(WINDOW, "chk_setAutoRun", where=lambda c: c.checked)
        self.desktop.screenshot("autostart-ticked.png")
        self.confirm(program)

        self.assertTrue(self.entry.exists(), "confirming writes the autostart entry")
        values = self.entry_values()
        self.assertEqual(values["Type"], "Application")
        self.assertEqual(values["Exec"], f'"{self.program_path}" -auto')
        self.assertEqual(values["TryExec"], str(self.program_path))
        self.assertEqual(desktop_exec(values["Exec"]), [str(self.program_path), "-auto"])
        self.assertNotEqual(values.get("Hidden"), "true")
        self.assertNotEqual(values.get("X-GNOME-Autostart-enabled"), "false")
        self.assertEqual(list(self.entry.parent.iterdir()), [self.entry], "no temporary file is left beside it")
        if shutil.which("desktop-file-validate"):
            check = self.desktop.run("desktop-file-validate", self.entry)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)

        # Reopened, the box shows the entry; unticked and confirmed, it is gone.
        box = self.open_page(program)
        self.assertTrue(box.checked)
        program.click(WINDOW, "chk_setAutoRun")
        program.control(WINDOW, "chk_setAutoRun", where=lambda c: not c.checked)
        self.confirm(program)
        self.assertFalse(self.entry.exists())

    def test_another_programs_entry_is_not_ours_and_stays(self):
        foreign = "[Desktop Entry]\nType=Application\nName=Zintra\nExec=/usr/bin/zintra -auto\n"
        self.entry.parent.mkdir(parents=True, exist_ok=True)
        self.entry.write_text(foreign)
        program = NativeProgram(self.desktop, "autostart-foreign")
        box = self.open_page(program)
        self.assertFalse(box.checked, "an entry that starts another program is not ticked")
        self.confirm(program)
        self.assertEqual(self.entry.read_text(), foreign)

    def write_entry(self):
        program = NativeProgram(self.desktop, "autostart-write")
        self.open_page(program)
        program.click(WINDOW, "chk_setAutoRun")
        program.control(WINDOW, "chk_setAutoRun", where=lambda c: c.checked)
        self.confirm(program)
        self.desktop.stop_all()
        command = desktop_exec(self.entry_values()["Exec"])
        self.assertEqual(command, [str(self.program_path), "-auto"])
        return command

    def log_in(self, command, name):
        """Starts the entry's command as the session does at log-in; its F8 must click."""
        target = X11ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        login = NativeProgram(self.desktop, name, *command[1:], wait_for_window=None)
        login.control("mainWindow", "*")
        time.sleep(1.0)
        self.assertIsNone(login.process.poll(), "the program keeps running")
        return login, target

    def press_f8_for_clicks(self, target):
        self.desktop.move_pointer(*target.centre())
        target.focus()
        self.desktop.xdotool("key", "F8")
        wait_for(lambda: len(target.downs()) >= 3, 10, what="clicks from the started program")
        self.desktop.xdotool("key", "F8")

    def test_the_entrys_command_starts_hidden_where_a_tray_shows_the_icon(self):
        command = self.write_entry()
        tray = XEmbedTray(self.desktop, "autostart-tray")
        try:
            login, target = self.log_in(command, "autostart-login-tray")
            tray.docked()
            self.assertFalse(login.window_visible("mainWindow"), "started hidden, the icon is in the tray")
            self.press_f8_for_clicks(target)
        finally:
            tray.stop()

    def test_the_entrys_command_shows_the_window_where_no_tray_could_bring_it_back(self):
        command = self.write_entry()
        login, target = self.log_in(command, "autostart-login-no-tray")
        self.assertTrue(login.window_visible("mainWindow"), "a hidden window without an icon would be lost")
        self.press_f8_for_clicks(target)

    def test_an_entry_written_without_try_exec_gains_it_when_the_program_starts(self):
        exec_value = f'"{self.program_path}" -auto'
        older = f"[Desktop Entry]\nType=Application\nName=Zintra\nExec={exec_value}\nIcon=zintra\n" \
                "X-GNOME-Autostart-enabled=false\n"
        self.entry.parent.mkdir(parents=True, exist_ok=True)
        self.entry.write_text(older)
        NativeProgram(self.desktop, "autostart-upgrade")
        values = self.entry_values()
        self.assertEqual(values["TryExec"], str(self.program_path))
        self.assertEqual(values["Exec"], exec_value)
        self.assertEqual(values["X-GNOME-Autostart-enabled"], "false", "the user's switch stays as it was")
        self.assertEqual(self.entry.read_text().replace(f"TryExec={self.program_path}\n", ""), older)


if __name__ == "__main__":
    unittest.main(verbosity=2)
