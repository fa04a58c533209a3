#!/usr/bin/env python3
"""Layer check: does every include run down the layers (docs/ARCHITECTURE.md)?

The build enforces the same table with include roots (cmake/Layers.cmake);
this check says it in one place, names the file and line of a wrong include,
and also catches what an include root cannot: a folder missing from the table,
or an include that only compiles because some other root lets it through.

A source file belongs to the longest folder of LAYERS that holds it; a quoted
include of a project file ("ui/core/SWindow.h") belongs to the folder that
holds the included file. An include is right when both are the same folder or
the including folder's entry lists the other. Tests, benchmarks and the build
folder see everything and are not checked.

  scripts/check_layers.py [--root DIR]

Exit status: 0 when every include runs down the layers, 1 otherwise.
"""

from __future__ import annotations

import argparse
import re
import sys
from pathlib import Path

PLATFORM = ["platform"]
BASE = ["base", *PLATFORM]
UI = ["ui/controls", "ui/core", "ui/render", *BASE]
APP = ["res", "mainwindow", "update", "settings", "dialogs", "tray", "hotkey", "online", "clicker", "app", *UI]

# Which folders the files of a folder may include, besides their own.
LAYERS: dict[str, list[str]] = {
    "platform": [],
    "platform/linux": [*PLATFORM, "base"],
    # What an X11 display adds to a Linux desktop.
    "platform/x11": ["platform/linux", *PLATFORM, "base"],
    # What a Wayland session adds: the wlroots virtual pointer and the choice of input.
    "platform/wayland": ["platform/linux", *PLATFORM, "base"],
    "platform/win32": PLATFORM,
    "base": PLATFORM,
    "ui/render": BASE,
    "ui/core": ["ui/render", *BASE],
    "ui/controls": ["ui/core", "ui/render", *BASE],
    # Glyphs for both Linux backends.
    "ui/freetype": ["ui/render", *BASE],
    # The backends see the core and the render layer, never a control; each
    # meets its own system's platform folder.
    "ui/win32": ["platform/win32", "ui/core", "ui/render", *BASE],
    "ui/x11": ["ui/freetype", "platform/x11", "platform/linux", "ui/core", "ui/render", *BASE],
    # Screen readers on Linux: the core's accessible tree over the session's buses.
    "ui/atspi": ["platform/linux", "ui/core", "ui/render", *BASE],
    "clicker": BASE,
    "online": BASE,
    "hotkey": ["clicker", *UI],
    "tray": UI,
    "dialogs": ["clicker", *UI],
    "settings": ["hotkey", "clicker", *UI],
    "update": ["online", *UI],
    "mainwindow": ["settings", "dialogs", "tray", "hotkey", "clicker", *UI],
    "res": UI,
    "res/win32": ["res", "ui/win32", "platform/win32", *UI],
    "app": APP,
    # Only the entry of a system sees its implementations.
    "app/linux": [*APP, "ui/x11", "ui/atspi", "ui/freetype", "platform/x11", "platform/wayland", "platform/linux"],
    "app/win32": [*APP, "ui/win32", "platform/win32"],
    # The simulated desktop and the test backend, for tests only.
    "sim": UI,
    "sim/headless": ["sim", "ui/freetype", *UI],
}

UNCHECKED = ("tests", "bench", "build", "installer")
SOURCE_SUFFIXES = {".h", ".hpp", ".c", ".cpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path: str) -> str | None:
    """The longest folder of the table that holds `path`, or None."""
    best = None
    for folder in LAYERS:
        if path.startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


def source_files(root: Path) -> list[Path]:
    files = []
    for top in sorted(root.iterdir()):
        if not top.is_dir() or top.name in UNCHECKED or top.name.startswith("."):
            continue
        files += [path.relative_to(root) for path in sorted(top.rglob("*"))
                  if path.suffix in SOURCE_SUFFIXES and path.is_file()]
    return files


def check_file(root: Path, relative: Path, problems: list[str]) -> int:
    """Appends a line for each wrong include of one file; returns how many includes it checked."""
    name = relative.as_posix()
    own = folder_of(name)
    if own is None:
        problems.append(f"{name}: its folder is not in the layer table of scripts/check_layers.py")
        return 0
    checked = 0
    text = (root / relative).read_text(encoding="utf-8", errors="replace")
    for number, line in enumerate(text.splitlines(), start=1):
        match = INCLUDE.match(line)
        if not match:
            continue
        target = folder_of(match.group(1))
        if target is None:
            continue  # a file beside it, or a library's header
        checked += 1
        if target != own and target not in LAYERS[own]:
            allowed = ", ".join(LAYERS[own]) or "nothing but itself"
            problems.append(f'{name}:{number}: includes "{match.group(1)}", but {own} may not see {target} '
                            f"(it sees {allowed})")
    return checked


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", type=Path, default=Path(__file__).resolve().parent.parent)
    args = parser.parse_args()
    problems: list[str] = []
    files = source_files(args.root)
    includes = sum(check_file(args.root, relative, problems) for relative in files)
    for problem in problems:
        print(problem)
    if problems:
        print(f"layer check: FAILED, {len(problems)} wrong include(s) or unknown folder(s) "
              f"in {len(files)} files (docs/ARCHITECTURE.md says which way includes run)")
        return 1
    print(f"layer check: passed, {includes} includes of {len(files)} files run down the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
