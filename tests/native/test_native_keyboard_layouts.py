"""Hotkeys of the native zintra on German, French and Russian keyboard
layouts: a key captured in the custom hotkey dialog is named as the layout
names it (ß, ж; the French digit row keeps its digits), the hotkey fires on
that very key, and it follows the key when the layout changes while the
program runs."""

import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeDesktop, NativeProgram, NativeTestCase, X11ClickTarget, read_store, wait_for  # noqa: E402

CUSTOM_HOTKEY_ENTRY = 12
HOTKEY_VK = 16  # offset of the virtual key in the stored settings record


class KeyboardLayouts(NativeTestCase):
    @classmethod
    def setUpClass(cls):
        # A layout set while no client is connected must outlive the server's reset.
        cls.desktop = NativeDesktop(cls.__name__, keep=True)

    def setUp(self):
        self.desktop.store_path.unlink(missing_ok=True)
        self.addCleanup(self.use_layout, "us")

    def use_layout(self, layout):
        subprocess.run(["setxkbmap", "-display", self.desktop.display.name, layout], env=self.desktop.env,
                       check=True, timeout=30)
        time.sleep(0.3)

    def capture(self, program, key, label):
        """Captures Ctrl with `key` (a keysym of the layout) in the custom hotkey dialog."""
        program.choose("mainWindow", "cbx_hotkey", CUSTOM_HOTKEY_ENTRY)
        program.window("customWindow")
        self.desktop.xdotool("keydown", "ctrl", "keydown", key, "keyup", key, "keyup", "ctrl")
        program.control("customWindow", "ctrl_hk1", timeout=5, where=lambda c: c.text == label)
        shot = program.photograph("customWindow", f"hotkey-label-{program.name}.png")
        program.click("customWindow", "btn_sure")
        wait_for(lambda: not program.window_visible("customWindow"), 10, what="the dialog to close")
        program.control("mainWindow", "txt_hotkey", timeout=5, where=lambda c: c.text == label)
        return shot

    def clicks_from(self, target, combination):
        """The clicks that pressing `combination` twice, a second apart, gives."""
        before = len(target.downs())
        self.desktop.move_pointer(*target.centre())
        target.focus()
        self.desktop.xdotool("key", combination)
        time.sleep(1.0)
        self.desktop.xdotool("key", combination)
        time.sleep(0.4)
        return len(target.downs()) - before

    def test_a_captured_key_is_named_by_the_layout_and_fires_on_that_key(self):
        # (layout, the key's keysym there, its label, its stored virtual key, a key in another place)
        cases = (("de", "ssharp", "Ctrl+ß", 0xBD, "minus"),
                 ("fr", "ampersand", "Ctrl+1", ord("1"), "egrave"),
                 ("ru", "Cyrillic_zhe", "Ctrl+ж", 0xBA, "Cyrillic_e"))
        for layout, key, label, vk, elsewhere in cases:
            with self.subTest(layout):
                self.use_layout(layout)
                target = X11ClickTarget(self.desktop, rect=(0, 0, 400, 400))
                program = NativeProgram(self.desktop, layout)
                self.capture(program, key, label)
                self.assertGreaterEqual(self.clicks_from(target, f"ctrl+{key}"), 4)
                self.assertEqual(self.clicks_from(target, f"ctrl+{elsewhere}"), 0)
                program.click("mainWindow", "btn_close")
                self.assertEqual(program.exit_code(), 0)
                record = read_store(self.desktop.store_path)["mousedata"][1]
                self.assertEqual(int.from_bytes(record[HOTKEY_VK:HOTKEY_VK + 4], "little"), vk)
                self.desktop.stop_all()

    def test_the_hotkey_follows_its_key_when_the_layout_changes(self):
        target = X11ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        self.use_layout("de")
        program = NativeProgram(self.desktop, "follows")
        self.capture(program, "z", "Ctrl+Z")  # the German Z sits where the US Y does
        self.assertGreaterEqual(self.clicks_from(target, "ctrl+z"), 4)
        self.use_layout("us")
        self.assertGreaterEqual(self.clicks_from(target, "ctrl+z"), 4)
        self.assertEqual(self.clicks_from(target, "ctrl+y"), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
