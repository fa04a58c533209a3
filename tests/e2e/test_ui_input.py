"""Real X mouse and keyboard input (xdotool) reaches the toolkit's controls
under Wine at the places the program reports: radios, a combo box's list,
typing into a digits-only edit, switching tabs, the tray menu, and modal
dialogs whose owner keeps its timers and hotkeys."""

import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gallery_harness import Gallery, pixels  # noqa: E402
from wine_harness import WineTestCase, wait_for  # noqa: E402


class Input(WineTestCase):
    def test_clicking_a_radio_checks_it_and_clears_the_others(self):
        gallery = Gallery(self.desktop, "input-radio", "LAYOUT:XML_MAINWND")
        gallery.click_control("mainWindow", "type_right")
        right = gallery.control("mainWindow", "type_right", where=lambda c: c.checked)
        self.assertTrue(right.checked)
        self.assertFalse(gallery.control("mainWindow", "type_left").checked)
        self.assertFalse(gallery.control("mainWindow", "type_leftdown").checked)
        gallery.wait_result("event type_right 8107")

    def test_combo_box_list_opens_below_the_box_and_picks_an_entry(self):
        gallery = Gallery(self.desktop, "input-combo", "LAYOUT:XML_MAINWND")
        combo = gallery.control("mainWindow", "cbx_Time")
        gallery.click(*combo.centre)
        time.sleep(0.5)
        # Entry 6 ("1") of 22-pixel rows, in a list with a 1-pixel border right below the box.
        gallery.desktop.xdotool("mousemove", "--sync", combo.left + 20, combo.bottom + 1 + 6 * 22 + 11)
        time.sleep(0.2)
        gallery.desktop.xdotool("click", "1")
        chosen = gallery.control("mainWindow", "cbx_Time", where=lambda c: c.text == "1")
        self.assertEqual(chosen.text, "1")
        gallery.wait_result("event cbx_Time 19000")

        # Escape closes the list again without a change.
        gallery.click(*combo.centre)
        time.sleep(0.4)
        gallery.desktop.xdotool("key", "Escape")
        time.sleep(0.4)
        self.assertEqual(gallery.control("mainWindow", "cbx_Time").text, "1")

    def test_typing_into_a_digits_only_settings_edit(self):
        gallery = Gallery(self.desktop, "input-edit", "LAYOUT:XML_SETTING", "--modal", "--enable", "edt_LimitCount")
        edit = gallery.control("SettingWindow", "edt_LimitCount", where=lambda c: c.enabled)
        gallery.click(*edit.centre)
        gallery.desktop.xdotool("key", "BackSpace")
        gallery.type_text("4a2x7")
        typed = gallery.control("SettingWindow", "edt_LimitCount", where=lambda c: c.text == "427")
        self.assertEqual(typed.text, "427")  # letters are refused
        self.assertGreaterEqual(sum(1 for r in gallery.results() if r == "event edt_LimitCount 16000"), 4)

    def test_clicking_a_tab_switches_the_page(self):
        gallery = Gallery(self.desktop, "input-tab", "LAYOUT:XML_SETTING", "--modal")
        tabs = gallery.control("SettingWindow", "tab_main")
        self.assertFalse(gallery.control("SettingWindow", "chk_HideMain").visible)
        gallery.click(tabs.left + 100 + 50, tabs.top + 14)  # the second 100-pixel tab
        gallery.control("SettingWindow", "chk_HideMain", where=lambda c: c.visible)
        self.assertFalse(gallery.control("SettingWindow", "useRandomTime").visible)
        gallery.wait_result("event tab_main 11001")
        # And a check box on that page responds.
        gallery.click_control("SettingWindow", "chk_HideMain")
        self.assertTrue(gallery.control("SettingWindow", "chk_HideMain", where=lambda c: c.checked).checked)

    def test_tray_menu_opens_at_the_cursor_and_returns_the_chosen_item(self):
        gallery = Gallery(self.desktop, "input-menu", "LAYOUT:XML_MAINWND", "--at", 40, 40, "--menu")
        self.desktop.xdotool("mousemove", "--sync", 600, 500)
        x, y = (int(v) for v in gallery.wait_result("menu-at ").split()[1:])
        self.assertLess(abs(x - 600) + abs(y - 500), 60)  # at the cursor
        time.sleep(0.5)
        # Owner-drawn items of 26 pixels below a frame of a few pixels: "退出" is the second.
        gallery.click(x + 30, y + 26 + 13 + 3)
        self.assertEqual(gallery.wait_result("menu "), "menu 6")

    def test_extended_menu_opens_like_the_classic_one_and_returns_the_chosen_item(self):
        gallery = Gallery(self.desktop, "input-extended-menu", "LAYOUT:XML_MAINWND", "--at", 40, 40, "--extended-menu")
        self.desktop.xdotool("mousemove", "--sync", 600, 500)
        x, y = (int(v) for v in gallery.wait_result("menu-at ").split()[1:])
        self.assertLess(abs(x - 600) + abs(y - 500), 60)  # at the cursor
        time.sleep(0.5)
        shot = self.desktop.screenshot("extended-menu-screen.png")
        _, _, pixel = pixels(shot)
        # Drawn by the toolkit: the items' teal icons at their left.
        teal = sum(pixel(px, py) == (0x00, 0x9A, 0x9A) for px in range(x, x + 40) for py in range(y, y + 60))
        self.assertGreater(teal, 20)
        gallery.click(x + 30, y + 26 + 13 + 3)
        self.assertEqual(gallery.wait_result("menu "), "menu 6")

    def test_modal_dialog_returns_its_result_while_the_owner_keeps_working(self):
        gallery = Gallery(self.desktop, "input-modal", "LAYOUT:XML_CUSTOMTIME", "--modal")
        edit = gallery.control("customWindow", "edt_customtime")
        gallery.click(*edit.centre)
        gallery.type_text("0.5s")
        self.assertEqual(gallery.control("customWindow", "edt_customtime", where=lambda c: c.text == "0.5s").text,
                         "0.5s")  # this edit takes any text
        # The owner's hotkey (F9) arrives while the dialog's loop runs.
        window = self.desktop.find_window("Zintra")
        self.desktop.press_keys(window, "F9")
        gallery.wait_result("hotkey 1224")
        time.sleep(0.5)
        gallery.click_control("customWindow", "btn_sure")
        self.assertEqual(gallery.wait_result("dialog "), "dialog 1")
        self.assertIn("owner-enabled 0", gallery.results())  # the owner was disabled meanwhile
        ticks = int(gallery.wait_result("owner-timer ").split()[1])
        self.assertGreater(ticks, 10)  # its 50 ms timer ran throughout
        wait_for(lambda: gallery.process.poll() is not None, 10, what="the gallery to end")


if __name__ == "__main__":
    unittest.main()
