"""The native suite's names for the shared end-to-end harness (tests/harness/)."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.clicks import mouse_data, summary  # noqa: E402,F401
from harness.desktop import VirtualDisplay, wait_for  # noqa: E402,F401
from harness.native import (PROGRAM_KEY, ManagedTestCase, NativeDesktop, NativeProgram, NativeTestCase,  # noqa: E402,F401
                            PrivateSessionBus, X11ClickTarget, XEmbedTray, bus_config, read_store, store_text)
from harness.screen import CONVERT, MappedScreen, pixels  # noqa: E402,F401

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
from server_harness import LoopbackServer  # noqa: E402


class NativeServerTestCase(LoopbackServer, NativeTestCase):
    """A display and the tests' loopback server per class, which the program
    sends its usage reports to; before each test the server forgets every file
    and request, and the store is gone."""

    receives_reports = True

    def setUp(self):
        super().setUp()
        self.desktop.store_path.unlink(missing_ok=True)
