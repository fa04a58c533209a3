"""The real zintra.exe on screens of other densities and on a wide screen.

Under Wine with HKCU\\Control Panel\\Desktop\\LogPixels at 144 and 192 (scale
1.5 and 2): every window opens at its scaled size and is photographed, the
count test counts with the pointer on the far part of the real test button,
the crosshair picks the very pixel it is dropped on, and the settings
button's tooltip appears over the real window. On one wide screen, fixed
positions at the far right and at the origin are both clicked exactly.

Wine on this Xvfb sees one monitor only, so two monitors are covered by the
behaviour tests on the simulated desktop."""

import os
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gallery_harness import CONVERT, pixels  # noqa: E402
from program_harness import Program  # noqa: E402
from wine_harness import ClickTarget, WineDesktop, WineTestCase, mouse_data, wait_for  # noqa: E402

import subprocess  # noqa: E402

SETTINGS = "SettingWindow"
TOOLTIP_BACKGROUND = (0xFF, 0xFF, 0xE1)
CUSTOM_ENTRY = {"cbx_Time": 9, "cbx_hotkey": 12}


class ScaledScreen(WineTestCase):
    """Base: a prefix of its own at LOG_PIXELS, on a screen large enough for
    the settings window at twice its size."""

    LOG_PIXELS = 96

    @classmethod
    def setUpClass(cls):
        if cls is ScaledScreen:
            raise unittest.SkipTest("base class")
        cls.scale = cls.LOG_PIXELS / 96
        cls.desktop = WineDesktop(1920, 1440, prefix_name=f"prefix-dpi{cls.LOG_PIXELS}", log_pixels=cls.LOG_PIXELS)

    def setUp(self):
        self.desktop.delete_mouse_data()

    def px(self, units):
        return round(units * self.scale)

    def open_settings(self, program):
        program.click("mainWindow", "btn_Sett")
        return program.window(SETTINGS)

    def show_page(self, program, page):
        tabs = program.control(SETTINGS, "tab_main")
        program.click_at(tabs.left + self.px(page * 100 + 50), tabs.top + self.px(14))
        time.sleep(0.8)

    def focus_settings(self, program):
        frame = program.window(SETTINGS)
        program.click_at(frame.left + self.px(40), frame.bottom - self.px(25))

    def shot(self, program, window, name):
        return program.photograph(window, f"dpi{self.LOG_PIXELS}-{name}.png")

    # ---- tests ----

    def test_every_window_opens_at_its_scaled_size(self):
        program = Program(self.desktop, f"dpi{self.LOG_PIXELS}-windows")
        main = program.window("mainWindow")
        self.assertEqual(main.size, (self.px(400), self.px(300)))
        # Controls keep their layout size in units, so their pixels grow with the screen.
        self.assertEqual(program.control("mainWindow", "cbx_Time").size, (self.px(78), self.px(22)))
        shot = self.shot(program, "mainWindow", "main")
        self.assertEqual(pixels(shot)[:2], main.size)

        frame = self.open_settings(program)
        self.assertEqual(frame.size, (self.px(500), self.px(560)))
        self.assertEqual(program.control(SETTINGS, "btn_circle").size, (self.px(20), self.px(20)))
        for page in range(3):
            self.show_page(program, page)
            self.shot(program, SETTINGS, f"settings-page-{page}")
        self.show_page(program, 0)
        program.click(SETTINGS, "btn_close")
        wait_for(lambda: not program.window_visible(SETTINGS), 10, what="the settings window to close")

        for combo, name in (("cbx_Time", "custom-interval"), ("cbx_hotkey", "custom-hotkey")):
            program.choose("mainWindow", combo, CUSTOM_ENTRY[combo], scale=self.scale)
            dialog = program.window("customWindow")
            self.assertEqual(dialog.size, (self.px(282), self.px(162)))
            self.shot(program, "customWindow", name)
            program.click("customWindow", "btn_cancel")
            wait_for(lambda: not program.window_visible("customWindow"), 10, what="the dialog to close")

    def test_count_test_counts_over_the_far_part_of_the_test_button(self):
        self.desktop.set_mouse_data(mouse_data(use_limit=1, limit=3, interval=0.1))
        program = Program(self.desktop, f"dpi{self.LOG_PIXELS}-count")
        self.open_settings(program)
        self.focus_settings(program)
        button = program.control(SETTINGS, "btn_test", where=lambda c: c.visible)
        self.assertEqual(button.size, (self.px(76), self.px(24)))
        # Its last pixels: outside the button when positions were taken as unscaled.
        self.desktop.move_pointer(button.right - 2, button.bottom - 2)
        self.desktop.xdotool("key", "F8")
        program.control(SETTINGS, "txt_testCount", timeout=5, where=lambda c: c.text == "当前已经点击3次")
        # Just past its right edge the key is ignored.
        self.desktop.move_pointer(button.right + 1, button.top + 2)
        self.desktop.xdotool("key", "F8")
        time.sleep(1.0)
        self.assertEqual(program.control(SETTINGS, "txt_testCount").text, "当前已经点击3次")

    def test_crosshair_picks_the_pixel_it_is_dropped_on(self):
        program = Program(self.desktop, f"dpi{self.LOG_PIXELS}-pick")
        frame = self.open_settings(program)
        program.click(SETTINGS, "useFixedPos")
        program.control(SETTINGS, "edt_posX", where=lambda c: c.enabled)
        cross = program.control(SETTINGS, "btn_circle", where=lambda c: c.visible)
        # Odd pixels, which no layout unit starts on at scale 2.
        picked = (frame.right + 151, frame.top + 77)
        self.assertLess(picked[0], 1920)
        start = cross.centre
        self.desktop.move_pointer(*start)
        time.sleep(0.2)
        self.desktop.xdotool("mousedown", "1")
        time.sleep(0.2)
        for step in range(1, 7):
            self.desktop.move_pointer(start[0] + (picked[0] - start[0]) * step // 6,
                                      start[1] + (picked[1] - start[1]) * step // 6)
            time.sleep(0.1)
        time.sleep(0.3)
        self.desktop.xdotool("mouseup", "1")
        program.control(SETTINGS, "edt_posX", timeout=5, where=lambda c: c.text == str(picked[0]))
        program.control(SETTINGS, "edt_posY", timeout=5, where=lambda c: c.text == str(picked[1]))

    def test_settings_button_shows_its_tooltip(self):
        program = Program(self.desktop, f"dpi{self.LOG_PIXELS}-tip")
        main = program.window("mainWindow")
        button = program.control("mainWindow", "btn_Sett", where=lambda c: c.visible)
        self.desktop.move_pointer(*button.centre)
        time.sleep(0.1)
        self.desktop.move_pointer(button.centre[0] + 1, button.centre[1])
        time.sleep(1.5)
        screen = self.desktop.screenshot(f"dpi{self.LOG_PIXELS}-tip-screen.png")
        # The tip sits below the pointer, over the window's body.
        x, y = button.centre[0] + 1, button.centre[1] + self.px(20)
        width, height, pixel = pixels(screen)
        found = [(px, py) for py in range(y, min(height, y + self.px(40)))
                 for px in range(max(0, x - self.px(60)), min(width, x + self.px(80)))
                 if pixel(px, py) == TOOLTIP_BACKGROUND]
        self.assertTrue(found, "no tooltip below the pointer")
        left = min(p[0] for p in found) - 2
        top = min(p[1] for p in found) - 2
        right = max(p[0] for p in found) + 3
        bottom = max(p[1] for p in found) + 3
        subprocess.run([CONVERT, str(screen), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                        str(self.desktop.dir / f"dpi{self.LOG_PIXELS}-tooltip.png")], check=True, timeout=30)
        self.assertGreaterEqual(bottom - top, self.px(16), "the tip is drawn at the screen's scale")
        self.assertTrue(main.left <= left and bottom <= main.bottom, "over the real window")
        # Leaving the button takes it away.
        self.desktop.move_pointer(main.left + self.px(200), main.top + self.px(200))
        time.sleep(0.5)
        screen = self.desktop.screenshot(f"dpi{self.LOG_PIXELS}-tip-gone.png")
        _, _, pixel = pixels(screen)
        self.assertFalse(any(pixel(px, py) == TOOLTIP_BACKGROUND for px, py in found[:50]))


class Dpi144(ScaledScreen):
    LOG_PIXELS = 144


class Dpi192(ScaledScreen):
    LOG_PIXELS = 192


class WideScreen(WineTestCase):
    """One 3840-pixel-wide screen: fixed positions at its far right and at its
    origin are clicked where they were stored. One monitor, so the events are
    normalised over the primary screen exactly as before (rounded down, which
    Wine maps back to the pixel or the one left of it)."""

    @classmethod
    def setUpClass(cls):
        cls.desktop = WineDesktop(3840, 1024)

    def clicks_at(self, point, rect):
        self.desktop.set_mouse_data(mouse_data(use_fixed=1, x=point[0], y=point[1], interval=0.2))
        target = ClickTarget(self.desktop, name=f"wide-{point[0]}-{point[1]}", rect=rect)
        self.desktop.start(os.environ["ZINTRA_EXE"])
        time.sleep(1.5)
        self.desktop.press_keys(target.window, "F8")
        time.sleep(1.0)
        self.desktop.press_keys(target.window, "F8")
        time.sleep(0.3)
        downs = [(x, y) for _, kind, x, y in target.downs("LD")]
        self.assertGreaterEqual(len(downs), 3, target.events())
        return set(downs)

    def test_far_right_is_clicked_there(self):
        for x, y in self.clicks_at((3839, 5), (3840 - 320, 0, 320, 240)):
            self.assertIn(x, (3838, 3839))
            self.assertEqual(y, 5)

    def test_another_point_far_right_is_clicked_there(self):
        for x, y in self.clicks_at((3601, 239), (3840 - 320, 0, 320, 240)):
            self.assertIn(x, (3600, 3601))
            self.assertEqual(y, 239)

    def test_origin_is_clicked_exactly(self):
        # Wine's own tray window sits at the origin and takes the button
        # events there; the pointer shows where they were sent.
        self.desktop.set_mouse_data(mouse_data(use_fixed=1, x=0, y=0, interval=0.2))
        target = ClickTarget(self.desktop, name="wide-origin", rect=(400, 300, 320, 240))
        self.desktop.start(os.environ["ZINTRA_EXE"])
        time.sleep(1.5)
        self.desktop.move_pointer(*target.centre())
        self.desktop.press_keys(target.window, "F8")
        time.sleep(0.6)
        location = dict(line.split("=") for line in self.desktop.xdotool("getmouselocation", "--shell").splitlines())
        self.desktop.press_keys(target.window, "F8")
        self.assertEqual((int(location["X"]), int(location["Y"])), (0, 0))
        self.assertEqual(target.downs(), [], "no click stayed where the pointer was")


if __name__ == "__main__":
    unittest.main(verbosity=2)
