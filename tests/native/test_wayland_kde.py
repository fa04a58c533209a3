"""The program in a real KDE Plasma Wayland session: kwin_wayland headless
with Xwayland, kwin's global shortcuts, and xdg-desktop-portal with the KDE
back-end. Clicks are counted by a Wayland-native window, which XTest never
reaches; the desktop's shortcut is pressed through kwin's own shortcut
service, as kwin does when its keys are pressed."""

import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from harness.desktop import wait_for  # noqa: E402
from harness.kde_session import KdeSession, missing_packages  # noqa: E402
from harness.clicks import mouse_data  # noqa: E402
from harness.session_case import COUNTER_SIZE, CompositorSessionCase  # noqa: E402

# kwin centres the counter on the 1280x1024 screen.
COUNTER_AT = ((1280 - COUNTER_SIZE[0]) // 2, (1024 - COUNTER_SIZE[1]) // 2)
# kglobalaccel's component (the KDE portal names it after the session's token) and action.
COMPONENT, ACTION = "zintrakeys", "start-stop"
# Qt's key code for Ctrl+Shift+F8, as kglobalaccel stores the keys it grabs.
CTRL_SHIFT_F8 = 0x04000000 | 0x02000000 | 0x01000037


class ZintraInKde(CompositorSessionCase):
    session_class = KdeSession
    missing_packages = staticmethod(missing_packages)

    def shortcut_keys(self):
        reply = self.session.kglobalaccel(f"/component/{COMPONENT}", "org.kde.kglobalaccel.Component",
                                          "allShortcutInfos")
        words = reply.split() if reply else []
        # Its keys, then its default keys.
        return [int(value) for kind, value in zip(words, words[1:]) if kind == "int32"][:1]

    def press_shortcut(self):
        self.assertIsNotNone(self.session.kglobalaccel(f"/component/{COMPONENT}", "org.kde.kglobalaccel.Component",
                                                       "invokeShortcut", f"string:{ACTION}"))

    def test_the_stored_hotkey_is_the_desktops_shortcut_and_starts_and_stops_clicking(self):
        ctrl_shift = 0x0002 | 0x0004
        # A fixed point, clicked through the portal's screen-cast stream: kwin's
        # pointer starts over the program's own window.
        self.start_program(mouse_data(interval=0.05, vk=0x77, modifiers=ctrl_shift, use_fixed=1, x=300, y=250))
        wait_for(lambda: self.shortcut_keys() == [CTRL_SHIFT_F8], 20, interval=0.5,
                 what=f"Ctrl+Shift+F8 bound in kwin (now {self.shortcut_keys()}); the program said: {self.log_text()}")
        # Bound as the session began: its BindShortcuts would open the desktop's settings at every start.
        self.assertNotIn("kcm_keys", (self.out / "dbus.log").read_text(errors="replace"))
        before = self.counts()
        self.press_shortcut()
        counts = self.wait_counts({"LD": before.get("LD", 0) + 3, "LU": before.get("LU", 0) + 3})
        self.assertEqual(counts["AT"], (300 - COUNTER_AT[0], 250 - COUNTER_AT[1]))
        self.press_shortcut()
        time.sleep(1)
        stopped = self.counts()
        time.sleep(1)
        self.assertEqual(self.counts(), stopped, "the second press did not stop clicking")
        self.assertEqual(stopped["LD"], stopped["LU"], "half a click")

    # Runs after the test above (by name): kwin keeps the keys it bound then.
    def test_then_clicks_at_the_pointer_reach_a_wayland_window_and_stop_at_the_limit(self):
        self.start_program(mouse_data(click_type=1, interval=0.05, use_limit=1, limit=4))  # the hotkey F8
        # The desktop keeps the keys it has for the shortcut: the user is told which work.
        wait_for(lambda: "the desktop bound the start/stop shortcut to Ctrl+Shift+F8" in self.log_text(), 20,
                 what=f"the desktop's keys said; the program said: {self.log_text()}")
        self.assertEqual(self.shortcut_keys(), [CTRL_SHIFT_F8])
        # Off the program's window, onto the counter: to the screen's corner (motion stops at its edges), then in.
        with self.session.remote() as helper:
            self.assertEqual(helper.command("portal-start"), "done portal-start")
            self.assertEqual(helper.expect(("started", "refused"), 30), "started 2")
            for move in ("-5000 -5000", "200 200"):
                self.assertEqual(helper.command(f"portal-move {move}"), "done portal-move")
        time.sleep(0.5)
        before = self.counts()
        self.press_shortcut()
        self.wait_counts({"RD": before.get("RD", 0) + 4, "RU": before.get("RU", 0) + 4})
        time.sleep(1)
        counts = self.counts()
        self.assertEqual((counts["RD"], counts["RU"]), (before.get("RD", 0) + 4, before.get("RU", 0) + 4))
        self.assertEqual(counts["AT"], (200 - COUNTER_AT[0], 200 - COUNTER_AT[1]), "the pointer moved")


if __name__ == "__main__":
    unittest.main(verbosity=2)
