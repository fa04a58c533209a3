"""The native zintra as a program: its windows on X with their Chinese texts,
one instance at a time, settings kept in the per-user store across a restart,
a corrupt store set aside, and the settings window and custom dialogs driven
with the mouse and keyboard."""

import struct
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import (NativeProgram, NativeTestCase, X11ClickTarget, mouse_data, pixels, read_store,  # noqa: E402
                            summary, wait_for)

CUSTOM_HOTKEY_ENTRY = 12
CUSTOM_INTERVAL_ENTRY = 9
HOTKEY_PROMPT = "请直接在键盘上输入新的热键"
INTERVAL_PROMPT = "请输入要设置的时间间隔"


def dark_pixels(path, box):
    """How many pixels of the box (left, top, right, bottom) are nearly black or deep red: drawn text."""
    _, _, pixel = pixels(path)
    left, top, right, bottom = box
    count = 0
    for y in range(top, bottom):
        for x in range(left, right):
            r, g, b = pixel(x, y)
            if (r + g + b) < 200 or (r > 120 and g < 60 and b < 60):
                count += 1
    return count


class NativeProgramRuns(NativeTestCase):
    def setUp(self):
        self.desktop.store_path.parent.mkdir(parents=True, exist_ok=True)
        for path in self.desktop.store_path.parent.iterdir():
            path.unlink()

    def test_the_main_window_shows_its_chinese_texts(self):
        program = NativeProgram(self.desktop, "main")
        frame = program.window("mainWindow")
        self.assertEqual(frame.size, (400, 300))
        self.assertEqual(program.control("mainWindow", "type_left").text, "鼠标左键")
        self.assertEqual(program.control("mainWindow", "txt_mousetype").text, "启动和停止的热键")
        shot = program.photograph("mainWindow", "native-main-window.png")
        # Glyphs, not empty boxes: the label's area holds many dark text pixels.
        label = program.control("mainWindow", "txt_mousetype")
        box = (label.left - frame.left, label.top - frame.top, label.right - frame.left, label.bottom - frame.top)
        self.assertGreater(dark_pixels(shot, box), 60)
        # The desktop gets the layout's icons (ICON_LOGO at 16 and 32 pixels) for its task bar.
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

    def test_a_second_start_ends_at_once_with_exit_code_zero(self):
        first = NativeProgram(self.desktop, "first")
        second = NativeProgram(self.desktop, "second", wait_for_window=None)
        self.assertEqual(second.exit_code(timeout=15), 0)
        self.assertIsNone(first.process.poll(), "the running instance goes on")
        self.assertTrue(first.window_visible("mainWindow"))

    def test_settings_chosen_in_the_window_survive_a_restart(self):
        program = NativeProgram(self.desktop, "choose")
        program.click("mainWindow", "type_right")
        program.choose("mainWindow", "cbx_Time", 4)  # 0.2 s
        program.control("mainWindow", "cbx_Time", timeout=5, where=lambda c: c.text == "0.2")
        self.assertTrue(program.close())
        self.assertEqual(program.exit_code(), 0)
        stored = read_store(self.desktop.store_path)
        self.assertIsNotNone(stored)
        kind, record = stored["mousedata"]
        self.assertEqual((kind, len(record)), (3, 424))
        click_type, interval = struct.unpack_from("<if", record, 8)
        self.assertEqual(click_type, 1)
        self.assertAlmostEqual(interval, 0.2, places=5)

        again = NativeProgram(self.desktop, "choose-again")
        self.assertTrue(again.control("mainWindow", "type_right").checked)
        self.assertEqual(again.control("mainWindow", "cbx_Time").text, "0.2")
        target = X11ClickTarget(self.desktop, rect=(0, 0, 300, 300))
        self.desktop.move_pointer(*target.centre())
        target.focus()
        self.desktop.xdotool("key", "F8")
        time.sleep(1.2)
        self.desktop.xdotool("key", "F8")
        time.sleep(0.5)
        kinds = {kind for _, kind, _, _ in target.events()}
        self.assertEqual(kinds, {"RD", "RU"})

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

    def test_the_settings_window_opens_with_its_texts(self):
        program = NativeProgram(self.desktop, "settings")
        program.click("mainWindow", "btn_Sett")
        frame = program.window("SettingWindow")
        self.assertEqual(frame.size, (500, 560))
        program.photograph("SettingWindow", "native-settings-window.png")
        # Its other two pages, by their tabs (100 pixels wide, 28 high, along the top of tab_main).
        tabs = program.control("SettingWindow", "tab_main")
        for page in (1, 2):
            program.click_at(tabs.left + page * 100 + 50, tabs.top + 14)
            time.sleep(0.8)  # the page slides in
            program.photograph("SettingWindow", f"native-settings-page-{page}.png")
        program.click("SettingWindow", "btn_close")
        wait_for(lambda: not program.window_visible("SettingWindow"), 10, what="the settings window to close")

    def test_a_pressed_combination_becomes_the_hotkey_also_with_num_lock_on(self):
        target = X11ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        self.desktop.xdotool("key", "Num_Lock")
        self.addCleanup(self.desktop.xdotool, "key", "Num_Lock")
        program = NativeProgram(self.desktop, "custom-hotkey")
        program.choose("mainWindow", "cbx_hotkey", CUSTOM_HOTKEY_ENTRY)
        program.control("customWindow", "ctrl_hk1", where=lambda c: c.visible)
        dialog = program.window("customWindow")
        self.assertEqual(dialog.size, (282, 162))
        self.assertEqual(program.control("customWindow", "txt_caption").text, HOTKEY_PROMPT)
        self.desktop.xdotool("keydown", "ctrl", "keydown", "alt", "keydown", "k",
                             "keyup", "k", "keyup", "alt", "keyup", "ctrl")
        program.control("customWindow", "ctrl_hk1", timeout=5, where=lambda c: c.text == "Ctrl+Alt+K")
        program.photograph("customWindow", "native-custom-hotkey.png")
        program.click("customWindow", "btn_sure")
        wait_for(lambda: not program.window_visible("customWindow"), 10, what="the dialog to close")
        program.control("mainWindow", "txt_hotkey", timeout=5, where=lambda c: c.text == "Ctrl+Alt+K")
        self.desktop.move_pointer(*target.centre())
        target.focus()
        self.desktop.xdotool("key", "ctrl+alt+k")
        time.sleep(1.0)
        self.desktop.xdotool("key", "ctrl+alt+k")
        time.sleep(0.4)
        self.assertGreaterEqual(len(target.downs()), 4)
        self.assertTrue(all(state & 0x10 for state in target.states()), "NumLock was on throughout")

    def test_a_typed_interval_sets_the_pace_of_the_clicks(self):
        target = X11ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        program = NativeProgram(self.desktop, "custom-interval")
        program.choose("mainWindow", "cbx_Time", CUSTOM_INTERVAL_ENTRY)
        program.control("customWindow", "edt_customtime", where=lambda c: c.visible)
        program.window("customWindow")
        self.assertEqual(program.control("customWindow", "txt_caption").text, INTERVAL_PROMPT)
        program.click("customWindow", "edt_customtime")
        program.type_text("0.05")
        program.control("customWindow", "edt_customtime", timeout=5, where=lambda c: c.text == "0.05")
        program.photograph("customWindow", "native-custom-interval.png")
        program.click("customWindow", "btn_sure")
        wait_for(lambda: not program.window_visible("customWindow"), 10, what="the dialog to close")
        program.control("mainWindow", "cbx_Time", timeout=5, where=lambda c: c.text == "0.05")
        self.desktop.move_pointer(*target.centre())
        target.focus()
        self.desktop.xdotool("key", "F8")
        time.sleep(2.0)
        self.desktop.xdotool("key", "F8")
        time.sleep(0.4)
        downs = target.downs()
        self.assertGreaterEqual(len(downs), 20)
        _, median, _ = summary([t for t, *_ in downs])
        self.assertGreater(median, 35)
        self.assertLess(median, 90)


if __name__ == "__main__":
    unittest.main(verbosity=2)
