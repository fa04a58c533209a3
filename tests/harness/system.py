"""The adapter of the system the shared end-to-end tests run on, picked by
ZINTRA_SYSTEM ("wine" or "native"; each ctest tree sets its own), so one test
module checks the same behaviour of zintra.exe under Wine and of the native
zintra. Every adapter offers the same names: TestCase (with `desktop`),
Program, ClickTarget, program_path, and the facts the tests need (NAME,
POSITION_SLACK, LOCK_STEPS)."""

import importlib
import os

SYSTEMS = ("wine", "native")


def adapter():
    name = os.environ.get("ZINTRA_SYSTEM", "")
    if name not in SYSTEMS:
        raise SystemExit(f"ZINTRA_SYSTEM must name the system under test: one of {', '.join(SYSTEMS)}")
    return importlib.import_module(f"harness.{name}")
