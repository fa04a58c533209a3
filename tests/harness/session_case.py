"""A test class that shares one compositor session (GNOME's mutter or KDE's
kwin) among its tests, with a Wayland-native click counter nearly filling
the screen."""

import os
import shutil
import unittest
from pathlib import Path

from harness.desktop import wait_for
from harness.native import NativeProgram, native_output_dir, store_text

COUNTER_SIZE = (1200, 900)


def read_counts(path):
    """{"LD": n, ...} and "AT": (x, y) from the counter's file; {} before its first button."""
    try:
        text = path.read_text()
    except FileNotFoundError:
        return {}
    counts = {}
    for line in text.splitlines():
        name, *values = line.split()
        counts[name] = tuple(float(v) for v in values) if name == "AT" else int(values[0])
    return counts


class CompositorSessionCase(unittest.TestCase):
    """Subclasses name `session_class` (its module's `missing_packages` as
    `missing_packages`); a test that starts the program keeps it in `program`."""

    session_class = None
    missing_packages = None
    # Servers the program talks to: a loopback port that refuses at once.
    session_env = {
        "ZINTRA_UPDATE_URL": "http://127.0.0.1:9/update/update.json",
        "ZINTRA_REPORT_URL": "http://127.0.0.1:9/data.html",
    }

    @classmethod
    def setUpClass(cls):
        missing = cls.missing_packages()
        if missing:
            raise unittest.SkipTest(f"{missing} is not installed (scripts/setup-deps.sh installs it)")
        cls.out = native_output_dir() / cls.__name__
        shutil.rmtree(cls.out, ignore_errors=True)
        cls.out.mkdir(parents=True)
        cls.session = cls.session_class(cls.out)
        cls.session.env.update(cls.session_env)
        cls.counts_file = cls.session.home / "counts"
        width, height = COUNTER_SIZE
        try:
            cls.session.spawn("counter", [os.environ["ZINTRA_WL_CLICK_COUNTER"], str(cls.counts_file),
                                          "zintra counter", str(width), str(height), str(cls.counts_file) + ".events"])
            wait_for(lambda: Path(f"{cls.counts_file}.ready").exists(), 30, what="the Wayland counter")
        except BaseException:
            cls.session.close()  # tearDownClass does not run after a failed setUpClass
            raise

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def tearDown(self):
        if getattr(self, "program", None) is not None and self.program.process.poll() is None:
            self.program.process.terminate()
            self.program.process.wait(10)

    def start_program(self, record):
        """zintra started as the session's user, on a store holding `record`."""
        store = self.session.home / "config" / "zintra" / "store"
        store.parent.mkdir(parents=True, exist_ok=True)
        store.write_text(store_text({"MouseData": (3, record)}))
        for path in (store.parent.parent, store.parent, store):
            os.chown(path, self.session.uid, self.session.gid)
        self.program = NativeProgram(self.session, "zintra")

    def log_text(self):
        return self.program.log_path.read_text(encoding="utf-8", errors="replace")

    def counts(self):
        return read_counts(self.counts_file)

    def last_events(self, count):
        """The counter's last `count` button events, one line each."""
        events = Path(f"{self.counts_file}.events")
        return events.read_text().splitlines()[-count:] if events.exists() else []

    def wait_counts(self, expected, timeout=20):
        """Waits until the counter holds at least `expected` ({"LD": n, ...}); its counts then."""
        def reached():
            counts = self.counts()
            return counts if all(counts.get(k, 0) >= n for k, n in expected.items()) else None
        try:
            return wait_for(reached, timeout, interval=0.1, what=f"clicks {expected}")
        except TimeoutError:
            log = f"; the program said: {self.log_text()}" if getattr(self, "program", None) is not None else ""
            self.fail(f"the counter holds {self.counts()}, not {expected}{log}")
