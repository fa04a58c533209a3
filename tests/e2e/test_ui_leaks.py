"""Opening and closing each dialog 50 times leaves the process with as many
GDI objects, user objects and handles as after the first time (as Wine
reports them; it may report zeros)."""

import os
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from wine_harness import WineTestCase, wait_for  # noqa: E402

DIALOGS = ["LAYOUT:XML_SETTING", "LAYOUT:XML_CUSTOM", "LAYOUT:XML_CUSTOMTIME", "LAYOUT:XML_UPDATE",
           "LAYOUT:XML_MAINWND"]


class Leaks(WineTestCase):
    def test_resources_stay_flat_across_fifty_dialogs(self):
        report = []
        for layout in DIALOGS:
            with self.subTest(layout=layout):
                name = "leak-" + layout.split("_", 1)[1].lower()
                result = self.desktop.dir / f"{name}.result"
                result.unlink(missing_ok=True)
                process = self.desktop.start(os.environ["ZINTRA_UI_GALLERY"], "--result",
                                             "Z:" + str(result.resolve()).replace("/", "\\"), "--leak", 50, layout,
                                             log_name=f"{name}.log")
                wait_for(lambda: process.poll() is not None, 120, what=f"{layout} 50 times")
                self.assertEqual(process.returncode, 0, result.read_text() if result.exists() else "")
                lines = [line.split() for line in result.read_text().splitlines() if line.startswith("leak ")]
                counts = {parts[1]: (int(parts[2]), int(parts[3])) for parts in lines}
                self.assertEqual(set(counts), {"gdi", "user", "handles"})
                for what, (first, last) in counts.items():
                    report.append(f"{layout} {what}: {first} -> {last}")
                    # A couple of objects of slack for Wine's own lazily made ones.
                    self.assertLessEqual(last, first + 2, f"{layout} {what}")
        print("\n".join(report))
        (self.desktop.dir / "leaks.txt").write_text("\n".join(report) + "\n")


if __name__ == "__main__":
    unittest.main()
