"""The Windows backend's pop-up windows under Wine, driven by real X input
through the UI gallery's test pop-up (PopupProbe): what the content paints is
what shows, a second pop-up opens beside the first while the loop runs, the
mouse, the wheel and the keys reach the loop in screen pixels wherever the
pointer is, a press outside or another program taking over ends the loop, a
pop-up without an owner (the tray's case) works the same, and a passive tip
lets clicks through to the window below it."""

import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gallery_harness import Gallery, pixels  # noqa: E402
from wine_harness import ClickTarget, WineTestCase  # noqa: E402

RED = (0xC0, 0x30, 0x30)
BLUE = (0x30, 0x30, 0xC0)
GREEN = (0x30, 0xA0, 0x30)
TIP = (0xFF, 0xFF, 0xE1)
ROW = 30
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


if __name__ == "__main__":
    unittest.main()
