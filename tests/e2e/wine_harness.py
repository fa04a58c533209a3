"""The Wine suite's names for the shared end-to-end harness (tests/harness/)."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.clicks import mouse_data, periods, summary  # noqa: E402,F401
from harness.desktop import VirtualDisplay, wait_for  # noqa: E402,F401
from harness.wine import PROGRAM_KEY, REG_EXE, ClickTarget, WineDesktop, WineTestCase, e2e_dir  # noqa: E402,F401
