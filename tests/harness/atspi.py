"""The Linux accessibility stack for a native end-to-end test: a private
session bus, the AT-SPI bus launcher and registry (at-spi2-core) on the test's
display, and a pyatspi client (tests/native/atspi_client.py) that reads the
applications as a screen reader does. Programs the test starts afterwards get
the bus in the desktop's environment and publish their trees there.
"""

import json
import os
import select
import subprocess
from pathlib import Path

from harness.desktop import end_line_helper, wait_for
from harness.native import PrivateSessionBus

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
# pyatspi and GObject introspection are Debian packages: Debian's interpreter has them.
CLIENT_PYTHON = os.environ.get("ZINTRA_ATSPI_PYTHON", "/usr/bin/python3")
CLIENT = Path(__file__).resolve().parent.parent / "native" / "atspi_client.py"


class AccessibilityBus:
    """The session bus and the accessibility bus behind it, for one desktop."""

    def __init__(self, desktop):
        self.desktop = desktop
        self.session = PrivateSessionBus()
        desktop.env["DBUS_SESSION_BUS_ADDRESS"] = self.session.address
        desktop.env.pop("NO_AT_BRIDGE", None)
        # Not one of the desktop's programs: those end with each test, the buses with the class.
        with open(desktop.dir / "at-spi-bus-launcher.log", "ab") as log:
            self.launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], env=desktop.env, stdout=log,
                                             stderr=log, start_new_session=True)
        self.address = wait_for(self.read_address, 20, interval=0.2, what="the accessibility bus")

    def read_address(self):
        """The accessibility bus's address from org.a11y.Bus, or None while it is not up."""
        result = subprocess.run(["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus",
                                 "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=self.desktop.env,
                                capture_output=True, text=True, timeout=10)
        address = result.stdout.strip()
        return address if result.returncode == 0 and address else None

    def close(self):
        if self.launcher.poll() is None:
            self.launcher.terminate()
            self.launcher.wait(10)
        self.session.close()


class AtspiClient:
    """The test's screen reader: asks questions of atspi_client.py, one at a time."""

    def __init__(self, desktop, timeout=30):
        self.log = open(desktop.dir / "atspi-client.log", "ab")
        self.process = subprocess.Popen([CLIENT_PYTHON, str(CLIENT)], env=desktop.env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=self.log, start_new_session=True)
        if not self._read(timeout).get("ready"):
            raise RuntimeError("the AT-SPI registry did not answer")

    def _read(self, timeout):
        ready, _, _ = select.select([self.process.stdout], [], [], timeout)
        line = self.process.stdout.readline() if ready else b""
        if not line:
            raise TimeoutError(f"the AT-SPI client said nothing within {timeout}s (see atspi-client.log)")
        return json.loads(line)

    def ask(self, question, timeout=30, **fields):
        self.process.stdin.write((json.dumps(dict(fields, do=question), ensure_ascii=False) + "\n").encode("utf-8"))
        self.process.stdin.flush()
        answer = self._read(timeout)
        if not answer.get("ok"):
            raise AssertionError(f"{question}: {answer.get('error')}")
        return answer

    def apps(self):
        return self.ask("apps")["apps"]

    def wait_for_app(self, name, timeout=20):
        return wait_for(lambda: name in self.apps(), timeout, interval=0.2, what=f"{name!r} in the AT-SPI desktop")

    def tree(self, app):
        return self.ask("tree", app=app)["nodes"]

    def close(self):
        end_line_helper(self.process)
        self.log.close()


class AccessibilityStack:
    """Both for a test class: the buses, then the client once the registry answers."""

    def __init__(self, desktop):
        self.bus = AccessibilityBus(desktop)
        try:
            self.client = AtspiClient(desktop)
        except Exception:
            self.bus.close()
            raise

    def close(self):
        self.client.close()
        self.bus.close()
