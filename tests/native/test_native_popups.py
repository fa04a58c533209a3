"""The toolkit's pop-ups on a real X display (tests/native/x11_popup_gallery.cpp):
the backend's own pop-up windows driven by a probe (painted from their content,
every pointer and key event handed over in screen pixels, a second pop-up
beside the first, a lost or failed grab cancelling), a passive pop-up the
mouse goes through, and the toolkit's menus and lists on top of them."""

import os
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import CONVERT, NativeProgram, NativeTestCase, pixels, wait_for  # noqa: E402

GREEN, BLUE, DARK, TIP = (0x40, 0xA0, 0x40), (0x40, 0x40, 0xC0), (0x20, 0x20, 0x20), (0xFF, 0xFF, 0xE1)
WHEEL_UP = 120 << 16


def window_info(desktop, window):
    info = subprocess.run(["xwininfo", "-id", str(window)], env=desktop.env, capture_output=True, text=True,
                          timeout=30).stdout
    return dict(row.strip().split(": ", 1) for row in info.splitlines() if ": " in row)


def mapped_popups(desktop):
    """{window id: (left, top, width, height)} of the mapped override-redirect windows on the display."""
    tree = subprocess.run(["xwininfo", "-root", "-children"], env=desktop.env, capture_output=True, text=True,
                          timeout=30).stdout
    found = {}
    for line in tree.splitlines():
        line = line.strip()
        if not line.startswith("0x"):
            continue
        window = int(line.split()[0], 16)
        fields = window_info(desktop, window)
        if fields.get("Map State") == "IsViewable" and fields.get("Override Redirect State") == "yes":
            found[window] = tuple(int(fields[key]) for key in ("Absolute upper-left X", "Absolute upper-left Y",
                                                                "Width", "Height"))
    return found


def crop(desktop, shot, box, file_name):
    left, top, width, height = box
    subprocess.run([CONVERT, str(shot), "-crop", f"{width + 40}x{height + 40}+{max(left - 20, 0)}+{max(top - 20, 0)}",
                    "+repage", str(desktop.dir / file_name)], check=True, timeout=30)


class Gallery(NativeProgram):
    """One run of the pop-up gallery and the lines it reported."""

    def __init__(self, desktop, name, *args):
        self.result = desktop.dir / f"{name}.txt"
        self.result.unlink(missing_ok=True)
        super().__init__(desktop, name, "--result", self.result, *args, exe=os.environ["ZINTRA_X11_POPUP_GALLERY"])

    def lines(self):
        return self.result.read_text(encoding="utf-8").splitlines() if self.result.exists() else []

    def wait_line(self, line, what=None):
        return wait_for(lambda: line in self.lines(), 10, what=what or repr(line))

    def popups(self, count):
        """The window ids of the first `count` pop-ups it opened."""
        lines = wait_for(lambda: len([l for l in self.lines() if l.startswith("popup ")]) >= count and
                         [l for l in self.lines() if l.startswith("popup ")], 10, what=f"{count} pop-ups")
        return [int(line.split()[1]) for line in lines[:count]]


class NativePopupWindows(NativeTestCase):
    def key(self, name):
        self.desktop.xdotool("key", name)
        time.sleep(0.2)

    def test_the_pop_ups_paint_their_content_and_get_every_event_in_screen_pixels(self):
        gallery = Gallery(self.desktop, "probe", "--probe")
        first = gallery.popups(1)[0]
        wait_for(lambda: first in mapped_popups(self.desktop), 10, what="the first pop-up on screen")
        self.assertEqual(mapped_popups(self.desktop)[first], (200, 200, 200, 200))
        self.assertEqual(self.desktop.xdotool("search", "--name", "^zintra-popup$").split("\n"), [str(first)])
        self.desktop.move_pointer(250, 260)
        gallery.wait_line("message move 0 250 260")
        time.sleep(0.3)
        shot = self.desktop.screenshot("probe-screen.png")
        _, _, pixel = pixels(shot)
        self.assertEqual(pixel(300, 300), GREEN, "the content's own colour")
        self.assertEqual(pixel(205, 205), DARK, "painted again on the move")
        # Keys, typed characters and the wheel, wherever the pointer is.
        self.key("Right")
        self.assertIn("message keydown 39 250 260", gallery.lines())
        second = gallery.popups(2)[1]
        wait_for(lambda: second in mapped_popups(self.desktop), 10, what="the second pop-up")
        self.key("a")
        self.assertIn("message char 97 250 260", gallery.lines())
        self.desktop.xdotool("click", "4")
        gallery.wait_line(f"message wheel {WHEEL_UP} 250 260")
        # Moves and presses over the second pop-up arrive too, in screen pixels.
        self.desktop.move_pointer(700, 700)
        gallery.wait_line("message move 0 700 700", "a move far outside every pop-up")
        self.desktop.move_pointer(450, 250)
        gallery.wait_line("message move 0 450 250")
        crop(self.desktop, self.desktop.screenshot("probe-screen.png"), (200, 200, 360, 200), "probe-two-levels.png")
        # The first pop-up closes while the second stays: the second gets the input now.
        self.key("x")
        wait_for(lambda: first not in mapped_popups(self.desktop), 10, what="the first pop-up to close")
        self.desktop.xdotool("click", "1")
        gallery.wait_line("chose", "the release over the second pop-up")
        gallery.wait_line("loop 1")
        self.assertIn("message ldown 1 450 250", gallery.lines())
        wait_for(lambda: not mapped_popups(self.desktop), 10, what="every pop-up closed")

    def test_a_press_outside_goes_to_the_pop_ups_and_never_to_the_window_below(self):
        gallery = Gallery(self.desktop, "outside", "--probe")
        gallery.popups(1)
        radio = gallery.control("mainWindow", "type_right")
        gallery.click_at(*radio.centre)
        gallery.wait_line("outside")
        gallery.wait_line("loop 1")
        self.assertIn(f"message ldown 1 {radio.centre[0]} {radio.centre[1]}", gallery.lines())
        time.sleep(0.5)
        self.assertFalse(gallery.control("mainWindow", "type_right").checked, "the press closed the pop-up only")
        # Once closed, the window gets its clicks again.
        gallery.click_at(*radio.centre)
        gallery.control("mainWindow", "type_right", where=lambda c: c.checked)

    def test_escape_closes_and_the_keyboard_goes_back(self):
        gallery = Gallery(self.desktop, "escape", "--probe")
        first = gallery.popups(1)[0]
        wait_for(lambda: first in mapped_popups(self.desktop), 10, what="the pop-up")
        self.key("Escape")
        gallery.wait_line("loop 1")
        self.assertNotIn("cancelled", gallery.lines())
        wait_for(lambda: not mapped_popups(self.desktop), 10, what="the pop-up to close")

    def test_a_pop_up_unmapped_by_another_program_cancels_the_loop(self):
        gallery = Gallery(self.desktop, "lost-grab", "--probe")
        first = gallery.popups(1)[0]
        wait_for(lambda: first in mapped_popups(self.desktop), 10, what="the pop-up")
        self.desktop.xdotool("windowunmap", first)
        gallery.wait_line("cancelled", "the lost grab to cancel")
        gallery.wait_line("loop 1")
        # The program lives on and takes clicks.
        gallery.click("mainWindow", "type_right")
        gallery.control("mainWindow", "type_right", where=lambda c: c.checked)

    def test_a_grab_held_by_another_program_cancels_at_once(self):
        flag = self.desktop.dir / "grabbed.txt"
        flag.unlink(missing_ok=True)
        holder = self.desktop.start(os.environ["ZINTRA_X11_HOLD_GRAB"], flag, log_name="hold-grab.log")
        wait_for(flag.exists, 10, what="the other program's grab")
        gallery = Gallery(self.desktop, "failed-grab", "--probe")
        gallery.wait_line("cancelled", "the failed grab to cancel")
        gallery.wait_line("loop 1")
        holder.terminate()
        holder.wait(10)
        wait_for(lambda: not mapped_popups(self.desktop), 10, what="the pop-up to close")

    def test_a_passive_pop_up_is_a_tooltip_the_mouse_goes_through(self):
        gallery = Gallery(self.desktop, "passive", "--tip")
        tip = gallery.popups(1)[0]
        radio = gallery.control("mainWindow", "type_right")
        wait_for(lambda: tip in mapped_popups(self.desktop), 10, what="the passive pop-up")
        names = self.desktop.xdotool("search", "--name", "^zintra-tooltip$").split("\n")
        self.assertEqual(names, [str(tip)])
        time.sleep(0.3)
        _, _, pixel = pixels(self.desktop.screenshot("passive-screen.png"))
        self.assertEqual(pixel(*radio.centre), TIP, "it covers the radio button")
        focused = self.desktop.xdotool("getwindowfocus")
        gallery.click_at(*radio.centre)
        gallery.control("mainWindow", "type_right", where=lambda c: c.checked)
        self.assertTrue(tip in mapped_popups(self.desktop), "it stays while the click goes through")
        self.assertEqual(self.desktop.xdotool("getwindowfocus"), focused, "never focused")


class NativeToolkitPopups(NativeTestCase):
    """The toolkit's menus and lists on the X11 pop-up windows."""

    def open_menu(self, name, at):
        gallery = Gallery(self.desktop, name, "--menu")
        self.desktop.move_pointer(*at)
        wait_for(lambda: len(mapped_popups(self.desktop)) == 1, 10, what="the menu")
        time.sleep(0.3)
        return gallery, next(iter(mapped_popups(self.desktop).values()))

    def row_centre(self, level, row):
        """The screen point in the middle of a row of a menu level (2-unit edge, 26-unit rows, scale 1)."""
        left, top, width, _ = level
        return left + width // 2, top + 2 + row * 26 + 13

    def test_a_sub_menu_opens_on_hover_beside_its_item_and_its_item_is_chosen(self):
        gallery, root = self.open_menu("sub-menu-hover", (300, 300))
        self.assertEqual(root[:2], (300, 300), "the menu opens at the pointer")
        self.desktop.move_pointer(*self.row_centre(root, 1))  # "更多"
        wait_for(lambda: len(mapped_popups(self.desktop)) == 2, 10, what="the sub-menu on hover")
        sub = next(box for box in mapped_popups(self.desktop).values() if box != root)
        self.assertEqual(sub[0], root[0] + root[2], "to the right of the menu")
        self.assertEqual(sub[1], root[1] + 26, "its first item level with its parent item")
        time.sleep(0.3)
        crop(self.desktop, self.desktop.screenshot("menu-screen.png"), (root[0], root[1], sub[0] + sub[2] - root[0],
                                                                       max(root[3], sub[1] + sub[3] - root[1])),
             "native-sub-menu.png")
        # Across the root's next row and back does not lose it; a click on "子项一" chooses it.
        gallery.click_at(*self.row_centre(sub, 0))
        gallery.wait_line("menu 21")
        wait_for(lambda: not mapped_popups(self.desktop), 10, what="the menu to close")

    def test_the_right_key_opens_a_sub_menu_left_closes_it_and_enter_chooses_past_a_disabled_item(self):
        gallery, root = self.open_menu("sub-menu-keys", (300, 300))
        self.desktop.move_pointer(100, 900)  # off the menu: the keys alone drive it
        for key in ("Down", "Down", "Right"):
            self.desktop.xdotool("key", key)
        wait_for(lambda: len(mapped_popups(self.desktop)) == 2, 10, what="the sub-menu on Right")
        self.desktop.xdotool("key", "Left")
        wait_for(lambda: len(mapped_popups(self.desktop)) == 1, 10, what="Left to close the sub-menu")
        for key in ("Right", "Down", "Return"):  # "子项二" is disabled: Down goes on to "子项三"
            self.desktop.xdotool("key", key)
        gallery.wait_line("menu 23")

    def test_a_sub_menu_without_room_on_the_right_opens_to_the_left(self):
        gallery, root = self.open_menu("sub-menu-left", (1230, 300))
        self.assertEqual(root[0] + root[2], 1230, "moved in from the screen's right edge")
        self.desktop.move_pointer(*self.row_centre(root, 1))
        wait_for(lambda: len(mapped_popups(self.desktop)) == 2, 10, what="the sub-menu")
        sub = next(box for box in mapped_popups(self.desktop).values() if box != root)
        self.assertEqual(sub[0] + sub[2], root[0], "to the left of the menu")
        self.desktop.xdotool("key", "Escape")
        wait_for(lambda: len(mapped_popups(self.desktop)) == 1, 10, what="Escape to close one level")
        self.desktop.xdotool("key", "Escape")
        gallery.wait_line("menu 0")

    def test_a_press_outside_closes_the_whole_menu_and_reaches_no_window(self):
        gallery, root = self.open_menu("menu-outside", (300, 300))
        self.desktop.move_pointer(*self.row_centre(root, 1))
        wait_for(lambda: len(mapped_popups(self.desktop)) == 2, 10, what="the sub-menu")
        radio = gallery.control("mainWindow", "type_right")
        gallery.click_at(*radio.centre)
        gallery.wait_line("menu 0")
        wait_for(lambda: not mapped_popups(self.desktop), 10, what="every level to close")
        self.assertFalse(gallery.control("mainWindow", "type_right").checked)

    def open_list(self, name):
        gallery = Gallery(self.desktop, name, "--drop-height", "110")
        box = gallery.control("mainWindow", "cbx_hotkey", where=lambda c: c.visible)
        gallery.click_at(*box.centre)
        popup = wait_for(lambda: mapped_popups(self.desktop), 10, what="the list")
        return gallery, box, next(iter(popup.values()))

    def test_a_long_list_scrolls_with_the_wheel_and_a_scrolled_to_entry_is_chosen(self):
        gallery, box, popup = self.open_list("long-list-wheel")
        left, top, width, height = popup
        self.assertEqual((left, top, height), (box.left, box.bottom, 112), "five rows and the border below the box")
        last_row = (left + 20, top + height - 1 - 11)
        self.desktop.move_pointer(*last_row)
        for _ in range(10):
            self.desktop.xdotool("click", "5")
        time.sleep(0.3)
        crop(self.desktop, self.desktop.screenshot("list-screen.png"), popup, "native-long-list-scrolled.png")
        gallery.click_at(*last_row)
        gallery.control("mainWindow", "cbx_hotkey", where=lambda c: c.text == "自定义")
        wait_for(lambda: not mapped_popups(self.desktop), 10, what="the list to close")

    def test_a_long_list_scrolls_with_the_keys_and_enter_chooses(self):
        gallery, box, popup = self.open_list("long-list-keys")
        for key in ("End", "Up", "Return"):
            self.desktop.xdotool("key", key)
        gallery.control("mainWindow", "cbx_hotkey", where=lambda c: c.text == "F12")
        gallery.click_at(*box.centre)
        wait_for(lambda: mapped_popups(self.desktop), 10, what="the list again")
        for key in ("Home", "Next", "Return"):
            self.desktop.xdotool("key", key)
        gallery.control("mainWindow", "cbx_hotkey", where=lambda c: c.text == "F6")
        gallery.click_at(*box.centre)
        wait_for(lambda: mapped_popups(self.desktop), 10, what="the list once more")
        self.desktop.xdotool("key", "Escape")
        wait_for(lambda: not mapped_popups(self.desktop), 10, what="Escape to close the list")
        self.assertEqual(gallery.control("mainWindow", "cbx_hotkey").text, "F6", "Escape chooses nothing")


if __name__ == "__main__":
    unittest.main(verbosity=2)
