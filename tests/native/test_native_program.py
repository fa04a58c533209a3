"""The native zintra as a program on X: its icons for the desktop, the
settings button's tooltip, the close button ending it without a notification
area, and a corrupt store set aside. What the program does the same under
Wine is tested in tests/shared/."""

import struct
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeProgram, NativeTestCase, pixels, read_store, wait_for  # noqa: E402

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.screen import dark_pixels  # noqa: E402


class NativeProgramRuns(NativeTestCase):
    def setUp(self):
        self.desktop.store_path.parent.mkdir(parents=True, exist_ok=True)
        for path in self.desktop.store_path.parent.iterdir():
            path.unlink()

    def test_the_desktop_gets_the_main_windows_icons(self):
        NativeProgram(self.desktop, "main")
        # The layout's icons (ICON_LOGO at 16 and 32 pixels), for the desktop's task bar.
        window = self.desktop.xdotool("search", "--name", "^Zintra$").split("\n")[0]
        icons = subprocess.run(["xprop", "-id", window, "_NET_WM_ICON"], env=self.desktop.env, capture_output=True,
                               text=True, timeout=30).stdout
        self.assertIn("Icon (16 x 16)", icons)
        self.assertIn("Icon (32 x 32)", icons)

    def test_the_settings_buttons_tip_shows_below_the_pointer_without_taking_the_focus(self):
        program = NativeProgram(self.desktop, "tooltip")
        program.window("mainWindow")
        button = program.control("mainWindow", "btn_Sett")
        focused = self.desktop.xdotool("getwindowfocus")
        pointer = button.centre
        self.desktop.move_pointer(*pointer)
        tips = lambda: [w for w in self.desktop.xdotool("search", "--name", "^zintra-tooltip$").split("\n") if w]
        wait_for(lambda: tips(), 10, what="the tooltip after the hover delay")
        info = subprocess.run(["xwininfo", "-id", tips()[0]], env=self.desktop.env, capture_output=True, text=True,
                              timeout=30).stdout
        value = lambda key: int(next(line for line in info.splitlines() if key in line).split(":")[1])
        left, top = value("Absolute upper-left X"), value("Absolute upper-left Y")
        width, height = value("Width"), value("Height")
        self.assertIn("Override Redirect State: yes", info, "no window manager places or focuses it")
        # Below the pointer, clear of the cursor, near it.
        self.assertEqual(top, pointer[1] + 20)
        self.assertLessEqual(abs(left - pointer[0]), width)
        shot = self.desktop.screenshot("native-tooltip.png")
        _, _, pixel = pixels(shot)
        self.assertEqual(pixel(left + 2, top + height // 2), (0xFF, 0xFF, 0xE1), "the tip's own background")
        self.assertEqual(pixel(left, top + height // 2), (0x76, 0x76, 0x76), "a hairline border")
        self.assertGreater(dark_pixels(shot, (left + 3, top + 2, left + width - 3, top + height - 2)), 20,
                           "the text 设置 is drawn")
        self.assertEqual(self.desktop.xdotool("getwindowfocus"), focused, "the tip never takes the focus")
        # A press hides it.
        self.desktop.xdotool("mousedown", "1")
        wait_for(lambda: not tips(), 10, what="the tooltip to go on a press")
        self.desktop.xdotool("mouseup", "1")

    def test_without_a_notification_area_the_close_button_ends_the_program(self):
        program = NativeProgram(self.desktop, "close-button")
        program.click("mainWindow", "type_leftdown")
        program.click("mainWindow", "btn_close")
        self.assertEqual(program.exit_code(), 0)
        _, record = read_store(self.desktop.store_path)["mousedata"]
        self.assertEqual(struct.unpack_from("<i", record, 8)[0], 2, "the settings were saved on the way out")

    def test_a_corrupt_store_starts_with_defaults_and_is_kept_aside(self):
        garbage = "zintra-store 1\nkey SOFTWARE\\ZintraMouse\nvalue MouseData 3 0102\n"  # cut before its end
        self.desktop.write_store(garbage)
        program = NativeProgram(self.desktop, "corrupt")
        self.assertTrue(program.control("mainWindow", "type_left").checked)
        self.assertEqual(program.control("mainWindow", "txt_hotkey").text, "F8")
        aside = wait_for(lambda: list(self.desktop.store_path.parent.glob("store.corrupt-*")), 10, what="set-aside store")
        self.assertEqual(aside[0].read_text(), garbage)
        self.assertTrue(program.close())
        self.assertEqual(program.exit_code(), 0)
        self.assertIn("mousedata", read_store(self.desktop.store_path))
        self.assertEqual(aside[0].read_text(), garbage, "the old file is never overwritten")


if __name__ == "__main__":
    unittest.main(verbosity=2)
