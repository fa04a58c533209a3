"""The Windows resource package of a real executable under Wine: look-ups
ignore letter case, the icon loads at each of its sizes, and the version
record carries the product name and version."""

import os
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from wine_harness import WineDesktop  # noqa: E402


class WindowsResources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = WineDesktop()
        names = ["uidef:xml_init", "UIDEF:XML_INIT", "LAYOUT:XML_MAINWND", "layout:xml_update", "IMG:png_logo",
                 "SMENU:menu_tray", "values:string", "Values:Skin", "LAYOUT:XML_NOTHING"]
        result = cls.desktop.run(os.environ["ZINTRA_RESOURCE_PROBE"], *names)
        cls.lines = result.stdout.decode("utf-8", "replace").splitlines()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()

    def line(self, start):
        return next((line for line in self.lines if line.startswith(start)), "")

    def test_look_ups_ignore_letter_case(self):
        for name in ["uidef:xml_init", "UIDEF:XML_INIT", "LAYOUT:XML_MAINWND", "layout:xml_update",
                     "IMG:png_logo", "SMENU:menu_tray", "values:string", "Values:Skin"]:
            self.assertIn(" found ", self.line(name + " "), name)
        self.assertEqual(self.line("uidef:xml_init ").split()[2], self.line("UIDEF:XML_INIT ").split()[2])
        self.assertIn(" missing ", self.line("LAYOUT:XML_NOTHING "))

    def test_icon_loads_at_every_size(self):
        for size in (48, 32, 24, 20, 16):
            self.assertEqual(self.line(f"icon {size} "), f"icon {size} {size}")

    def test_version_record_names_the_product(self):
        self.assertTrue(self.line("\\StringFileInfo\\080404b0\\FileDescription").endswith(" Zintra鼠标连点器"))
        self.assertTrue(self.line("\\StringFileInfo\\080404b0\\ProductName").endswith(" Zintra鼠标连点器"))
        self.assertTrue(self.line("\\StringFileInfo\\080404b0\\FileVersion").endswith(" 1.0.0.1"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
