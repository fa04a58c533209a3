#!/usr/bin/env python3
"""Does the layer check (scripts/check_layers.py) catch an include that runs
back up? Plants one in a temporary copy of the sources and runs the check."""

from __future__ import annotations

import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parent
CHECK = HERE / "check_layers.py"


def copy_sources(target: Path) -> None:
    ignore = shutil.ignore_patterns(".git", "build", "*.png", "*.ico", "*.bmp")
    for entry in REPO.iterdir():
        if entry.name in (".git", "build") or not entry.is_dir():
            continue
        shutil.copytree(entry, target / entry.name, ignore=ignore, symlinks=True)


class LayerCheck(unittest.TestCase):
    @classmethod
    def setUpClass(cls) -> None:
        cls.scratch = tempfile.TemporaryDirectory(prefix="layer-check-")
        cls.clean = Path(cls.scratch.name) / "clean"
        copy_sources(cls.clean)

    @classmethod
    def tearDownClass(cls) -> None:
        cls.scratch.cleanup()

    def run_check(self, root: Path) -> subprocess.CompletedProcess[str]:
        return subprocess.run([sys.executable, str(CHECK), "--root", str(root)], capture_output=True, text=True,
                              timeout=120)

    def planted(self, file: str, include: str) -> subprocess.CompletedProcess[str]:
        """The check's answer for a copy with `include` added at the top of `file`."""
        tree = Path(self.scratch.name) / "planted"
        shutil.rmtree(tree, ignore_errors=True)
        shutil.copytree(self.clean, tree, symlinks=True)
        path = tree / file
        path.write_text(f'#include "{include}"\n' + path.read_text(encoding="utf-8"), encoding="utf-8")
        return self.run_check(tree)

    def test_the_sources_as_they_are_pass(self) -> None:
        result = self.run_check(self.clean)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("layer check: passed", result.stdout)

    def test_includes_that_run_back_up_fail_with_file_line_and_layers(self) -> None:
        cases = [
            ("clicker/ClickEngine.cpp", "mainwindow/CMainDlg.h", "clicker may not see mainwindow"),
            ("ui/core/SWindow.cpp", "ui/controls/SButton.h", "ui/core may not see ui/controls"),
            ("ui/render/Color.cpp", "ui/core/SWindow.h", "ui/render may not see ui/core"),
            ("ui/core/SHostWnd.cpp", "platform/linux/LinuxPlatform.h", "ui/core may not see platform/linux"),
            ("mainwindow/CMainDlg.cpp", "ui/x11/X11Backend.h", "mainwindow may not see ui/x11"),
            ("ui/x11/X11Backend.cpp", "ui/controls/SListBox.h", "ui/x11 may not see ui/controls"),
        ]
        for file, include, reason in cases:
            with self.subTest(file=file, include=include):
                result = self.planted(file, include)
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertIn(f'{file}:1: includes "{include}", but {reason}', result.stdout)
                self.assertIn("layer check: FAILED, 1 wrong include(s)", result.stdout)

    def test_the_entry_of_a_system_may_see_its_implementations(self) -> None:
        result = self.planted("app/linux/main.cpp", "platform/linux/FileStore.h")
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_a_folder_missing_from_the_table_fails(self) -> None:
        tree = Path(self.scratch.name) / "unknown"
        shutil.rmtree(tree, ignore_errors=True)
        shutil.copytree(self.clean, tree, symlinks=True)
        (tree / "newlayer").mkdir()
        (tree / "newlayer" / "Thing.cpp").write_text('#include "base/TextUtil.h"\n', encoding="utf-8")
        result = self.run_check(tree)
        self.assertEqual(result.returncode, 1, result.stdout)
        self.assertIn("newlayer/Thing.cpp: its folder is not in the layer table", result.stdout)


if __name__ == "__main__":
    unittest.main()
