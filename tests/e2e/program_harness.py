"""The Wine suite's names for a run of zintra.exe in the shared end-to-end harness (tests/harness/)."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.wine import WM_CLOSE, WM_COMMAND, Program  # noqa: E402,F401
