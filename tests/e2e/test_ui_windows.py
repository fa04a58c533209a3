"""Every window of the program shown by the real toolkit under Wine: the exact
sizes, the caption and body colours, the page each tab shows, and a picture of
each window saved in the e2e folder (window-*.png) for people to look at."""

import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gallery_harness import Gallery, pixels  # noqa: E402
from wine_harness import WineTestCase  # noqa: E402

CAPTION = (0x01, 0x5C, 0x5D)
BODY = (0x00, 0x9A, 0x9A)
WHITE = (0xFF, 0xFF, 0xFF)


class Windows(WineTestCase):
    def show(self, name, layout, window, size, *options):
        gallery = Gallery(self.desktop, name, layout, *options)
        frame = gallery.control(window, "*", where=lambda c: c.visible)
        self.assertEqual(frame.size, size)
        picture = gallery.photograph(window, f"window-{name}.png")
        width, height, pixel = pixels(picture)
        self.assertEqual((width, height), size)
        return gallery, pixel

    def count(self, pixel, box, colour, tolerance=40):
        left, top, right, bottom = box
        return sum(1 for y in range(top, bottom) for x in range(left, right)
                   if all(abs(a - b) <= tolerance for a, b in zip(pixel(x, y), colour)))

    def test_main_window(self):
        gallery, pixel = self.show("main", "LAYOUT:XML_MAINWND", "mainWindow", (400, 300))
        self.assertEqual(pixel(0, 0), (0, 0, 0))  # the 1-pixel black border
        self.assertEqual(pixel(200, 15), CAPTION)
        self.assertEqual(pixel(392, 60), BODY)
        self.assertEqual(pixel(5, 290), CAPTION)
        # White bold labels on the body: "点击类型" at the top left.
        self.assertGreater(self.count(pixel, (20, 40, 100, 66), WHITE), 60)
        combo = gallery.control("mainWindow", "cbx_Time")
        self.assertEqual(combo.size, (78, 22))
        self.assertEqual(combo.text, "0.1")
        self.assertEqual(gallery.control("mainWindow", "cbx_hotkey").text, "")
        self.assertTrue(gallery.control("mainWindow", "type_left").checked)

    def test_settings_window_pages(self):
        expectations = [
            ("useRandomTime", "chk_HideMain"),   # page 0 shows the click settings
            ("chk_HideMain", "useRandomTime"),   # page 1 the other settings
            (None, "chk_HideMain"),              # page 2 the about page
        ]
        for page, (shown, hidden) in enumerate(expectations):
            with self.subTest(page=page):
                gallery, pixel = self.show(f"settings-{page}", "LAYOUT:XML_SETTING", "SettingWindow", (500, 560),
                                           "--modal", "--tab", page)
                self.assertEqual(pixel(250, 15), CAPTION)
                self.assertEqual(pixel(250, 545), (0xF2, 0xF2, 0xF2))  # the button bar
                self.assertEqual(pixel(480, 200), WHITE)  # the page
                controls = gallery.controls()
                if shown:
                    self.assertTrue(controls[("SettingWindow", shown)].visible)
                self.assertFalse(controls[("SettingWindow", hidden)].visible)
                self.assertFalse(controls[("SettingWindow", "edt_time")].enabled)
                self.desktop.stop_wine()

    def test_custom_dialogs(self):
        for name, layout, caption in (("custom", "LAYOUT:XML_CUSTOM", "请直接在键盘上输入新的热键"),
                                      ("customtime", "LAYOUT:XML_CUSTOMTIME", "请输入要设置的时间间隔")):
            with self.subTest(layout=layout):
                gallery, pixel = self.show(name, layout, "customWindow", (282, 162), "--modal")
                self.assertEqual(gallery.control("customWindow", "txt_caption").text, caption)
                self.assertTrue(gallery.control("customWindow", "btn_sure").visible)
                self.assertTrue(gallery.control("customWindow", "btn_cancel").visible)
                self.assertNotIn(("customWindow", "btn_close"), gallery.controls())
                self.desktop.stop_wine()

    def test_update_window(self):
        gallery, pixel = self.show("update", "LAYOUT:XML_UPDATE", "UpdateWindow", (400, 300), "--modal")
        self.assertEqual(pixel(200, 15), CAPTION)
        self.assertFalse(gallery.control("UpdateWindow", "upProgressWindow").visible)
        self.assertTrue(gallery.control("UpdateWindow", "btnUpdate").enabled)
        self.assertTrue(gallery.control("UpdateWindow", "btnNotUpdate").enabled)
        self.assertEqual(gallery.control("UpdateWindow", "btnNotUpdate").size, (60, 33))


if __name__ == "__main__":
    unittest.main()
