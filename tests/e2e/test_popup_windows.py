"""The Windows backend's pop-up windows under Wine, driven by real X input
through the UI gallery's test pop-up (PopupProbe): what the content paints is
what shows, a second pop-up opens beside the first while the loop runs, the
mouse, the wheel and the keys reach the loop in screen pixels wherever the
pointer is, a press outside or another program taking over ends the loop, a
pop-up without an owner (the tray's case) works the same, and a passive tip
lets clicks through to the window below it. Then the toolkit's own menus,
drop-down lists and tooltips on those windows: a sub-menu opened by hover
gives its item, a long list scrolls by the wheel and by keys and gives a
scrolled-to entry, a press outside closes a menu, a tip comes and goes."""

import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gallery_harness import Gallery, pixels  # noqa: E402
from wine_harness import ClickTarget, WineTestCase, wait_for  # noqa: E402

RED = (0xC0, 0x30, 0x30)
BLUE = (0x30, 0x30, 0xC0)
GREEN = (0x30, 0xA0, 0x30)
TIP = (0xFF, 0xFF, 0xE1)
ROW = 30
MENU_ITEM = 26  # pixels at 96 DPI, below a 1-pixel border
LIST_ROW = 22
MENU_HIGHLIGHT = (0xD9, 0xEE, 0xEE)
SHOTS = "popup-windows"


class PopupWindows(WineTestCase):
    def open_probe(self, name, whose, at=(600, 500)):
        gallery = Gallery(self.desktop, name, "LAYOUT:XML_MAINWND", "--at", 40, 40, "--probe", whose)
        self.desktop.xdotool("mousemove", "--sync", *at)
        x, y = (int(v) for v in gallery.wait_result("probe-at ").split()[1:])
        self.assertEqual((x, y), at)  # the cursor did not move meanwhile
        time.sleep(0.4)
        return gallery, x, y

    def pixel_at(self, name, *points):
        _, _, pixel = pixels(self.desktop.screenshot(name))
        return [pixel(px, py) for px, py in points]

    def wait_closed(self, gallery, prefix):
        line = gallery.wait_result(prefix)
        gallery.wait_result("probe-closed")
        return line

    def test_a_sub_popup_opens_on_hover_and_its_click_arrives_in_screen_pixels(self):
        gallery, x, y = self.open_probe("popup-sub", "host")
        self.assertEqual(self.pixel_at(f"{SHOTS}-open.png", (x + 10, y + 10), (x + 110, y + ROW + 10)), [RED, BLUE])
        self.desktop.xdotool("mousemove", "--sync", x + 60, y + ROW + 15)
        gallery.wait_result("probe-sub-open")
        time.sleep(0.3)
        self.assertEqual(self.pixel_at(f"{SHOTS}-sub.png", (x + 120 + 5, y + ROW + 5), (x + 120 + 95, y + 2 * ROW - 2)),
                         [GREEN, GREEN])
        # Held by the first pop-up, reported in screen pixels all the same.
        gallery.click(x + 120 + 37, y + ROW + 11)
        self.assertEqual(self.wait_closed(gallery, "probe-chose "), f"probe-chose sub {x + 157} {y + ROW + 11}")
        self.assertNotEqual(self.pixel_at(f"{SHOTS}-closed.png", (x + 10, y + 10))[0], RED)

    def test_a_press_outside_every_popup_ends_the_loop(self):
        gallery, x, y = self.open_probe("popup-outside", "host")
        # On the owner (the gallery window at 40, 40): only Wine's own windows see X presses.
        gallery.click(200, 200)
        self.assertEqual(self.wait_closed(gallery, "probe-outside"), "probe-outside 200 200")

    def test_keys_characters_and_the_wheel_go_to_the_loop(self):
        gallery, x, y = self.open_probe("popup-keys", "host")
        self.desktop.xdotool("click", "5")  # the wheel, one notch towards the user
        self.assertEqual(gallery.wait_result("probe-wheel "), f"probe-wheel -120 {x} {y}")
        self.desktop.xdotool("key", "Down")
        gallery.wait_result("probe-key 40")
        self.desktop.xdotool("key", "a")
        gallery.wait_result("probe-char 97")
        self.desktop.xdotool("key", "Escape")
        self.wait_closed(gallery, "probe-escape")
        self.assertNotIn("probe-stray-char", gallery.results())

    def test_a_popup_without_an_owner_takes_keys_and_clicks_like_the_tray_menu(self):
        gallery, x, y = self.open_probe("popup-tray", "tray")
        self.desktop.xdotool("key", "Down")
        gallery.wait_result("probe-key 40")
        gallery.click(x + 20, y + 10)
        self.assertEqual(self.wait_closed(gallery, "probe-chose "), f"probe-chose first {x + 20} {y + 10}")

    def test_another_program_taking_the_focus_cancels_the_loop(self):
        target = ClickTarget(self.desktop, "popup-other", rect=(700, 100, 1000, 300))
        gallery, _, _ = self.open_probe("popup-cancel", "host")
        gallery.click(*target.centre())
        self.wait_closed(gallery, "probe-cancelled")

    def test_a_passive_tip_shows_and_lets_clicks_through(self):
        gallery = Gallery(self.desktop, "popup-tip", "LAYOUT:XML_MAINWND", "--at", 40, 40, "--probe-tip")
        radio = gallery.control("mainWindow", "type_right")
        self.desktop.xdotool("mousemove", "--sync", *radio.centre)
        x, y = (int(v) for v in gallery.wait_result("probe-tip ").split()[1:])
        time.sleep(0.4)
        self.assertEqual(self.pixel_at(f"{SHOTS}-tip.png", (x + 40, y + 15))[0], TIP)
        gallery.click(x + 2, y + 2)
        gallery.wait_result("event type_right 8107")



class ToolkitPopups(WineTestCase):
    def open_menu(self, name, *options):
        gallery = Gallery(self.desktop, name, "LAYOUT:XML_MAINWND", "--at", 40, 40, *options)
        self.desktop.xdotool("mousemove", "--sync", 600, 500)
        x, y = (int(v) for v in gallery.wait_result("menu-at ").split()[1:])
        time.sleep(0.6)
        return gallery, x, y

    def test_a_sub_menu_opens_by_hover_to_the_right_and_gives_its_item(self):
        gallery, x, y = self.open_menu("toolkit-sub-menu", "--sub-menu")
        row = y + 1 + MENU_ITEM + MENU_ITEM // 2  # "更多", the second item
        self.desktop.xdotool("mousemove", "--sync", x + 30, row)
        time.sleep(1.2)
        _, _, pixel = pixels(self.desktop.screenshot(f"{SHOTS}-toolkit-sub-menu.png"))
        # The parent's highlighted row ends at its right border; the sub-menu starts beyond it.
        highlight = [px for px in range(x, x + 600) if pixel(px, row) == MENU_HIGHLIGHT]
        self.assertTrue(highlight, "the hovered item is not highlighted")
        sub_left = next((px for px in range(highlight[-1] + 1, x + 600) if pixel(px, row) == (0xFF, 0xFF, 0xFF)),
                        None)
        self.assertIsNotNone(sub_left, "no sub-menu to the right")
        gallery.click(sub_left + 30, row + MENU_ITEM)  # "子项二"
        self.assertEqual(gallery.wait_result("menu "), "menu 9")

    def test_a_press_outside_closes_a_menu_without_a_choice(self):
        gallery, _, _ = self.open_menu("toolkit-menu-outside", "--extended-menu")
        gallery.click(200, 200)  # on the gallery window, away from the menu
        self.assertEqual(gallery.wait_result("menu "), "menu 0")

    def test_a_long_list_scrolls_by_wheel_and_keys_and_gives_a_scrolled_to_entry(self):
        gallery = Gallery(self.desktop, "toolkit-long-list", "LAYOUT:XML_MAINWND", "--at", 40, 40,
                          "--long-list", 20)
        combo = gallery.control("mainWindow", "cbx_Time")
        gallery.click(*combo.centre)
        time.sleep(0.5)
        first_row = (combo.left + 20, combo.bottom + 1 + LIST_ROW // 2)
        self.desktop.xdotool("mousemove", "--sync", *first_row)
        for _ in range(3):
            self.desktop.xdotool("click", "5")
            time.sleep(0.2)
        self.desktop.screenshot(f"{SHOTS}-toolkit-long-list-wheel.png")
        gallery.click(*first_row)
        # The first row shown is now a later entry than "0.01".
        chosen = gallery.control("mainWindow", "cbx_Time", where=lambda c: c.text not in ("0.1", "0.01"))
        self.assertIn(chosen.text, ["0.02", "0.05", "0.2", "0.6", "1", "2", "3", "自定义"] +
                      [f"extra {i}" for i in range(1, 21)])

        gallery.click(*combo.centre)
        time.sleep(0.5)
        self.desktop.xdotool("key", "End")
        time.sleep(0.3)
        self.desktop.screenshot(f"{SHOTS}-toolkit-long-list-end.png")
        self.desktop.xdotool("key", "Return")
        gallery.control("mainWindow", "cbx_Time", where=lambda c: c.text == "extra 20")

    def test_a_tooltip_shows_below_the_pointer_and_goes_when_it_leaves(self):
        gallery = Gallery(self.desktop, "toolkit-tip", "LAYOUT:XML_CUSTOMTIME", "--modal")
        button = gallery.control("customWindow", "btn_sure")
        self.desktop.xdotool("mousemove", "--sync", *button.centre)
        self.desktop.xdotool("mousemove", "--sync", button.centre[0] + 2, button.centre[1] + 1)
        px, py = button.centre

        def tip_pixels(name):
            _, _, pixel = pixels(self.desktop.screenshot(name))
            return sum(pixel(cx, cy) == TIP for cx in range(px - 40, px + 120) for cy in range(py, py + 80))
        wait_for(lambda: tip_pixels(f"{SHOTS}-toolkit-tip.png") > 50, 10, what="the tooltip")
        self.desktop.xdotool("mousemove", "--sync", 5, 5)
        wait_for(lambda: tip_pixels(f"{SHOTS}-toolkit-tip-gone.png") == 0, 10, what="the tooltip to go")


if __name__ == "__main__":
    unittest.main()
