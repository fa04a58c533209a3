"""Typing and capturing a hotkey in the native zintra while an input method is
set in the environment: through a real XIM server (uim-xim, in its default
direct mode, in either of its event flows, under a zh_CN.UTF-8 locale), with
XMODIFIERS naming a server that is not there, and while the server stops and
starts again under the running program (it connects again). Every character
arrives once, none is lost, and a captured combination is the one pressed."""

import shutil
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from native_harness import NativeProgram, NativeTestCase, wait_for  # noqa: E402

CUSTOM_HOTKEY_ENTRY = 12
CUSTOM_INTERVAL_ENTRY = 9


def chinese_locale(folder):
    """LOCPATH and locale variables of a zh_CN.UTF-8 locale compiled into
    `folder`: an XIM server serves the locales it lists, and C.UTF-8 is none of them."""
    target = folder / "zh_CN.UTF-8"
    if not target.exists():
        folder.mkdir(parents=True, exist_ok=True)
        subprocess.run(["localedef", "-i", "zh_CN", "-f", "UTF-8", str(target)], check=True, timeout=120,
                       capture_output=True)
    return {"LOCPATH": str(folder), "LANG": "zh_CN.UTF-8", "LC_ALL": "zh_CN.UTF-8"}


class InputMethodCase(NativeTestCase):
    modifiers = "@im=none"
    locale = {}

    def start(self, name):
        saved, self.desktop.env = self.desktop.env, dict(self.desktop.env, XMODIFIERS=self.modifiers, **self.locale)
        try:
            return NativeProgram(self.desktop, name)
        finally:
            self.desktop.env = saved

    def type_interval(self, program, text):
        program.choose("mainWindow", "cbx_Time", CUSTOM_INTERVAL_ENTRY)
        program.control("customWindow", "edt_customtime", where=lambda c: c.visible)
        program.window("customWindow")
        program.click("customWindow", "edt_customtime")
        self.desktop.xdotool("type", "--delay", "40", text)
        program.control("customWindow", "edt_customtime", timeout=5, where=lambda c: c.text == text)
        program.click("customWindow", "btn_sure")
        wait_for(lambda: not program.window_visible("customWindow"), 10, what="the interval dialog to close")
        program.control("mainWindow", "cbx_Time", timeout=5, where=lambda c: c.text == text)

    def check_typing_and_capture(self):
        program = self.start(f"typing-{self.__class__.__name__}")
        program.choose("mainWindow", "cbx_Time", CUSTOM_INTERVAL_ENTRY)
        program.control("customWindow", "edt_customtime", where=lambda c: c.visible)
        program.window("customWindow")
        program.click("customWindow", "edt_customtime")
        # Digits and the point, also typed fast and repeated.
        self.desktop.xdotool("type", "--delay", "15", "12.3405")
        program.control("customWindow", "edt_customtime", timeout=5, where=lambda c: c.text == "12.3405")
        for _ in range(7):
            self.desktop.xdotool("key", "BackSpace")
        self.desktop.xdotool("type", "--delay", "40", "0.05")
        program.control("customWindow", "edt_customtime", timeout=5, where=lambda c: c.text == "0.05")
        time.sleep(0.5)
        self.assertEqual(program.control("customWindow", "edt_customtime").text, "0.05", "nothing arrives late")
        program.click("customWindow", "btn_sure")
        wait_for(lambda: not program.window_visible("customWindow"), 10, what="the interval dialog to close")
        program.control("mainWindow", "cbx_Time", timeout=5, where=lambda c: c.text == "0.05")
        self.capture_hotkey(program)

    def capture_hotkey(self, program):
        program.choose("mainWindow", "cbx_hotkey", CUSTOM_HOTKEY_ENTRY)
        program.control("customWindow", "ctrl_hk1", where=lambda c: c.visible)
        program.window("customWindow")
        self.desktop.xdotool("keydown", "ctrl", "keydown", "shift", "keydown", "j",
                             "keyup", "j", "keyup", "shift", "keyup", "ctrl")
        program.control("customWindow", "ctrl_hk1", timeout=5, where=lambda c: c.text == "Ctrl+Shift+J")
        program.click("customWindow", "btn_sure")
        program.control("mainWindow", "txt_hotkey", timeout=5, where=lambda c: c.text == "Ctrl+Shift+J")


class XimServerGone(InputMethodCase):
    """XMODIFIERS names a server that does not run."""
    modifiers = "@im=nowhere"

    def test_typing_and_capturing_work_without_the_named_server(self):
        self.check_typing_and_capture()


@unittest.skipUnless(shutil.which("uim-xim"), "uim-xim (scripts/setup-deps.sh installs it)")
class XimServer(InputMethodCase):
    """A real XIM server on the display."""
    modifiers = "@im=uim"
    server_options = ()

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.locale = chinese_locale(cls.desktop.home / "locale")
        cls.server_log = cls.desktop.dir / "uim-xim.log"
        cls.start_server()

        def registered():
            text = subprocess.run(["xprop", "-root", "XIM_SERVERS"], env=cls.desktop.env, capture_output=True,
                                  text=True, timeout=10).stdout
            return "@server=uim" in text or "_XIM_UIM" in text.upper()
        cls.registered = staticmethod(registered)
        wait_for(registered, 20, what="uim-xim to register")

    @classmethod
    def start_server(cls):
        # Line-buffered, so its trace of each connection is in the log at once.
        with open(cls.server_log, "ab") as log:
            cls.server = subprocess.Popen(["stdbuf", "-oL", "-eL", "uim-xim", "--trace", *cls.server_options],
                                          env=dict(cls.desktop.env, **cls.locale), stdout=log, stderr=log,
                                          start_new_session=True)

    @classmethod
    def stop_server(cls):
        cls.server.terminate()
        cls.server.wait(10)

    @classmethod
    def tearDownClass(cls):
        cls.stop_server()
        super().tearDownClass()

    def connections(self):
        return self.server_log.read_text(errors="replace").count("accept xim connection")

    def test_typing_and_capturing_go_through_the_server_once(self):
        before = self.connections()
        self.check_typing_and_capture()
        self.assertGreater(self.connections(), before, "the program connected to the server")

    def test_typing_goes_on_when_the_server_stops_and_comes_back(self):
        program = self.start(f"restart-{self.__class__.__name__}")
        self.stop_server()
        self.addCleanup(lambda: self.server.poll() is None or self.stop_server())
        self.type_interval(program, "0.35")
        before = self.connections()
        self.start_server()
        wait_for(lambda: self.connections() > before, 20, what="the program to connect again")
        self.capture_hotkey(program)


class XimServerAsync(XimServer):
    """The same server forwarding key events on demand."""
    server_options = ("--async",)


if __name__ == "__main__":
    unittest.main(verbosity=2)
