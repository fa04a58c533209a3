"""The Linux accessibility stack the native end-to-end tests read programs
through: a private session bus, the AT-SPI bus launcher and registry on the
test's display, and a pyatspi client. A GTK 3 dialog (zenity) shows in the
registry with its roles, names, extents and actions, which proves the stack
before any test looks for our program there."""

import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeTestCase, wait_for  # noqa: E402

from harness.atspi import AccessibilityStack  # noqa: E402


class AccessibilityStackOnXvfb(NativeTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        try:
            cls.stack = AccessibilityStack(cls.desktop)
        except Exception:
            cls.desktop.close()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.stack.close()
        super().tearDownClass()

    def test_a_gtk_dialog_is_read_through_the_registry(self):
        client = self.stack.client
        self.assertNotIn("zenity", client.apps())
        self.desktop.start("zenity", "--question", "--title=Probe", "--text=Ready?", "--ok-label=Yes",
                           "--cancel-label=No")
        client.wait_for_app("zenity")
        # The dialog is mapped and laid out once its buttons have a size.
        buttons = wait_for(lambda: [n for n in client.tree("zenity") if n["role"] == "push button"
                                    and n.get("extents", [0, 0, 0, 0])[2] > 0] or None, 20,
                           what="the dialog's buttons")
        self.assertEqual(sorted(b["name"] for b in buttons), ["No", "Yes"])
        frame = next(n for n in client.tree("zenity") if n["role"] == "dialog")
        self.assertEqual(frame["name"], "Probe")
        self.assertIn("showing", frame["states"])
        left, top, width, height = frame["extents"]
        for button in buttons:
            x, y, w, h = button["extents"]
            self.assertTrue(left <= x and x + w <= left + width and top <= y and y + h <= top + height, button)
            self.assertIn("click", button["actions"])
        self.assertTrue(any(n["role"] == "label" and n["name"] == "Ready?" for n in client.tree("zenity")))
        # Its action is the button's own: "No" ends zenity with status 1.
        zenity = self.desktop.processes[-1]
        no = next(b for b in buttons if b["name"] == "No")
        self.assertTrue(client.ask("act", app="zenity", path=no["path"], action="click")["done"])
        self.assertEqual(zenity.wait(10), 1)
        wait_for(lambda: "zenity" not in client.apps(), 10, interval=0.2, what="zenity to leave the registry")


if __name__ == "__main__":
    unittest.main(verbosity=2)
