"""Linux screen readers: the program on the real accessibility stack (a
private session bus, at-spi2-core's bus launcher and registry) read through
pyatspi as Orca reads it, and a session without that stack."""

import json
import os
import signal
import subprocess
import unittest
from pathlib import Path

from native_harness import NativeProgram, NativeTestCase, wait_for

HERE = Path(__file__).resolve().parent
READER = HERE / "atspi_reader.py"
# pyatspi is Debian's package, for Debian's interpreter.
READER_PYTHON = "/usr/bin/python3"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


class SessionBus:
    """A dbus-daemon of the test's own, optionally with the accessibility bus."""

    def __init__(self, desktop, accessibility):
        out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                             capture_output=True, text=True, check=True, timeout=30, env=desktop.env).stdout.split()
        self.address, self.pid = out[0], int(out[1])
        desktop.env["DBUS_SESSION_BUS_ADDRESS"] = self.address
        self.desktop = desktop
        if accessibility:
            desktop.start(BUS_LAUNCHER, "--launch-immediately", log_name="at-spi-bus-launcher.log")
            wait_for(lambda: self.has_owner("org.a11y.Bus"), 20, interval=0.2, what="the accessibility bus")

    def has_owner(self, name):
        out = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
                              "org.freedesktop.DBus.NameHasOwner", f"string:{name}"],
                             capture_output=True, text=True, timeout=10, env=self.desktop.env).stdout
        return "boolean true" in out

    def close(self):
        self.desktop.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        try:
            os.kill(self.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass


@unittest.skipUnless(Path(BUS_LAUNCHER).exists(), "at-spi2-core is not installed (scripts/setup-deps.sh)")
class NativeScreenReader(NativeTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.bus = SessionBus(cls.desktop, accessibility=True)

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop_all()
        cls.bus.close()
        super().tearDownClass()

    def read(self, *args):
        done = subprocess.run([READER_PYTHON, str(READER), *args], capture_output=True, text=True, timeout=120,
                              env=self.desktop.env)
        (self.desktop.dir / "reader.log").write_text(done.stdout + done.stderr, encoding="utf-8")
        self.assertEqual(done.returncode, 0, done.stderr)
        return json.loads(done.stdout.strip().splitlines()[-1])

    def test_a_reader_finds_the_main_window_follows_the_focus_and_does_an_action(self):
        program = NativeProgram(self.desktop)
        self.assertFalse(program.control("mainWindow", "type_right").checked)
        seen = self.read("btn_Sett", "type_right")
        self.assertEqual(seen.get("application"), "Zintra", seen)
        self.assertEqual(seen["role"], "application")
        tree = seen["tree"]
        self.assertEqual((tree["role"], tree["name"], tree["id"]), ("frame", "Zintra", "mainWindow"))
        nodes = {node["id"]: node for node in tree["children"] if node["id"]}
        for name, text in (("btn_Sett", "设置"), ("btn_min", "最小化"), ("btn_close", "关闭")):
            self.assertEqual((nodes[name]["role"], nodes[name]["name"]), ("push button", text))
        self.assertEqual((nodes["type_right"]["role"], nodes["type_right"]["name"]), ("radio button", "鼠标右键"))
        # Where the reader says a control is, the control map says so too.
        mapped = program.control("mainWindow", "btn_Sett")
        self.assertEqual(nodes["btn_Sett"]["extents"], [mapped.left, mapped.top, *mapped.size])
        # The focus moved to the settings button, and the reader heard it.
        self.assertIn({"id": "btn_Sett", "name": "设置", "on": 1}, seen["focus"])
        # The radio's action checked it, in the program itself.
        self.assertEqual(seen["action"], {"name": "click", "description": "勾选", "done": True})
        self.assertTrue(seen["after"]["checked"])
        program.control("mainWindow", "type_right", where=lambda control: control.checked)


class NativeWithoutAccessibilityBus(NativeTestCase):
    """A session bus that runs no accessibility bus: the program starts no
    bridge and says nothing about it."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.bus = SessionBus(cls.desktop, accessibility=False)

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop_all()
        cls.bus.close()
        super().tearDownClass()

    def test_the_program_runs_and_logs_nothing_of_screen_readers(self):
        program = NativeProgram(self.desktop)
        program.click("mainWindow", "type_right")
        program.control("mainWindow", "type_right", where=lambda control: control.checked)
        self.assertFalse(self.bus.has_owner("org.a11y.Bus"))
        self.assertNotIn("accessib", program.log_path.read_text(encoding="utf-8", errors="replace"))


if __name__ == "__main__":
    unittest.main()
