"""The native zintra in a desktop's notification area, on a private session
bus with the tests' own watcher and notification server
(desktop_bus_peers.py): the item registers with the program's icon, tip and
status; activating it hides and shows the main window; its context menu is
the program's tray menu and "退出" ends the program with the settings saved;
the same menu is exported for panels that draw it themselves, and its
entries clicked there show the window and end the program;
start and stop notices arrive (and none when turned off in the settings
window); a watcher that restarts, or starts late, gets the item again; and
without any watcher the program clicks and its close button ends it."""

import json
import os
import struct
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import (CONVERT, NativeProgram, NativeTestCase, PrivateSessionBus, X11ClickTarget, XEmbedTray,  # noqa: E402
                            mouse_data, pixels, read_store, wait_for)

PEERS = Path(__file__).resolve().parent / "desktop_bus_peers.py"
# Debian's own interpreter has the dbus and gi modules (python3-dbus, python3-gi).
PEER_PYTHON = os.environ.get("ZINTRA_DBUS_PYTHON", "/usr/bin/python3")
LOGO = Path(__file__).resolve().parents[2] / "res" / "images" / "logo.ico"
TIP = "Zintra鼠标连点器"
STARTED, STOPPED = "鼠标连点器已经开始", "鼠标连点器已经停止"
NO_BROWSER = "无法打开网页：没有找到可以打开网页的浏览器"


def find_popup(desktop):
    """(left, top, width, height) of the one mapped override-redirect window of the program: its open menu."""
    tree = subprocess.run(["xwininfo", "-root", "-children"], env=desktop.env, capture_output=True, text=True,
                          timeout=30).stdout
    for line in tree.splitlines():
        line = line.strip()
        if not line.startswith("0x") or "ZintraTestTray" in line:
            continue
        info = subprocess.run(["xwininfo", "-id", line.split()[0]], env=desktop.env, capture_output=True, text=True,
                              timeout=30).stdout
        fields = dict(row.strip().split(": ", 1) for row in info.splitlines() if ": " in row)
        if fields.get("Map State") == "IsViewable" and fields.get("Override Redirect State") == "yes":
            return tuple(int(fields[key]) for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width",
                                                      "Height"))
    return None


def photograph_menu(desktop, popup, file_name):
    shot = desktop.screenshot("menu-screen.png")
    left, top, width, height = popup
    subprocess.run([CONVERT, str(shot), "-crop", f"{width + 40}x{height + 40}+{max(left - 20, 0)}+{max(top - 20, 0)}",
                    "+repage", str(desktop.dir / file_name)], check=True, timeout=30)


class BusPeer:
    """One stand-in service (watcher or notifications) and what it received."""

    def __init__(self, desktop, role, name):
        self.desktop = desktop
        self.log = desktop.dir / f"{name}.jsonl"
        self.log.unlink(missing_ok=True)
        self.process = desktop.start(PEER_PYTHON, PEERS, role, self.log, log_name=f"{name}.log")
        wait_for(lambda: self.entries("ready"), 20, what=f"the test's {role} on the bus")

    def entries(self, event=None):
        if not self.log.exists():
            return []
        rows = [json.loads(line) for line in self.log.read_text(encoding="utf-8").splitlines() if line.strip()]
        return [row for row in rows if event is None or row["event"] == event]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)


class SessionBusTestCase(NativeTestCase):
    """A display and a private session bus per class."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.bus = PrivateSessionBus()
        cls.desktop.env["DBUS_SESSION_BUS_ADDRESS"] = cls.bus.address

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        cls.bus.close()


class NativeTrayOnTheSessionBus(SessionBusTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # Icon themes of the test's own only: an installed package must not change what the item says.
        cls.desktop.env["XDG_DATA_DIRS"] = str(cls.desktop.home / "no-data")

    def setUp(self):
        self.desktop.store_path.parent.mkdir(parents=True, exist_ok=True)
        for path in self.desktop.store_path.parent.iterdir():
            path.unlink()
        self.desktop.set_mouse_data(mouse_data())
        self.peers = []

    def tearDown(self):
        super().tearDown()
        for peer in self.peers:
            peer.stop()

    def peer(self, role, name):
        peer = BusPeer(self.desktop, role, name)
        self.peers.append(peer)
        return peer

    def panel(self, *args):
        """The tests' panel (desktop_bus_peers.py properties|call ...) on the private bus."""
        result = subprocess.run([PEER_PYTHON, str(PEERS), *map(str, args)], env=self.desktop.env, capture_output=True,
                                text=True, timeout=30)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout

    def registered(self, watcher, program, count=1):
        entries = wait_for(lambda: len(watcher.entries("register")) >= count and watcher.entries("register"), 20,
                           what="the item to register with the watcher")
        service = entries[-1]["service"]
        self.assertEqual(service, f"org.kde.StatusNotifierItem-{program.process.pid}-100")
        return service

    def test_the_item_registers_with_the_program_icon_tip_and_status(self):
        watcher = self.peer("watcher", "watcher")
        program = NativeProgram(self.desktop, "register")
        service = self.registered(watcher, program)
        item = json.loads(self.panel("properties", service))
        self.assertEqual((item["Category"], item["Status"], item["Id"]), ("ApplicationStatus", "Active", "zintra"))
        self.assertEqual(item["ToolTip"][2], TIP)
        self.assertFalse(item["ItemIsMenu"], "the panel asks for the menu with ContextMenu")
        self.assertEqual(item["IconName"], "", "no icon theme holds the program's icon here")
        # The tray icon is ICON_LOGO at 16 pixels first, then its other sizes; the
        # pixels are ARGB in network byte order, as ImageMagick reads the same icon.
        sizes = [(width, height) for width, height, _ in item["IconPixmap"]]
        self.assertEqual(sizes[0], (16, 16))
        self.assertEqual(sorted(sizes), [(16, 16), (20, 20), (24, 24), (32, 32), (48, 48)])
        rgba = subprocess.run([CONVERT, f"{LOGO}[4]", "-depth", "8", "rgba:-"], capture_output=True, check=True,
                              timeout=30).stdout
        expected = b"".join(bytes((rgba[i + 3], rgba[i], rgba[i + 1], rgba[i + 2])) for i in range(0, len(rgba), 4))
        self.assertEqual(bytes.fromhex(item["IconPixmap"][0][2]), expected)

    def test_with_the_icon_in_the_theme_the_item_and_notices_name_it(self):
        watcher = self.peer("watcher", "watcher-theme")
        notices = self.peer("notifications", "notices-theme")
        icons = self.desktop.home / "share" / "icons" / "hicolor" / "48x48" / "apps"
        icons.mkdir(parents=True, exist_ok=True)
        subprocess.run([CONVERT, f"{LOGO}[0]", str(icons / "zintra.png")], check=True, timeout=30)
        env = self.desktop.env
        self.desktop.env = dict(env, XDG_DATA_HOME=str(self.desktop.home / "share"))
        try:
            program = NativeProgram(self.desktop, "theme")
        finally:
            self.desktop.env = env
        item = json.loads(self.panel("properties", self.registered(watcher, program)))
        self.assertEqual(item["IconName"], "zintra")
        self.desktop.xdotool("key", "F8")
        wait_for(lambda: notices.entries("notify"), 10, what="the start notice")
        self.desktop.xdotool("key", "F8")
        self.assertEqual(notices.entries("notify")[0]["app_icon"], "zintra")

    def test_activating_the_item_hides_and_shows_the_main_window(self):
        watcher = self.peer("watcher", "watcher-activate")
        program = NativeProgram(self.desktop, "activate")
        service = self.registered(watcher, program)
        self.panel("call", service, "Activate", 10, 10)
        wait_for(lambda: not program.window_visible("mainWindow"), 10, what="the main window to hide")
        self.panel("call", service, "Activate", 10, 10)
        wait_for(lambda: program.window_visible("mainWindow"), 10, what="the main window to show")
        # With the icon in the panel the close button only hides the window.
        program.click("mainWindow", "btn_close")
        wait_for(lambda: not program.window_visible("mainWindow"), 10, what="the close button to hide the window")
        self.assertIsNone(program.process.poll(), "the program lives on in the panel")
        self.panel("call", service, "Activate", 10, 10)
        wait_for(lambda: program.window_visible("mainWindow"), 10, what="the main window to come back")

    def test_the_context_menu_is_the_tray_menu_and_exit_saves_and_ends(self):
        watcher = self.peer("watcher", "watcher-menu")
        program = NativeProgram(self.desktop, "menu")
        service = self.registered(watcher, program)
        program.click("mainWindow", "type_right")
        program.control("mainWindow", "type_right", where=lambda c: c.checked)
        self.desktop.move_pointer(150, 120)
        self.panel("call", service, "ContextMenu", 150, 120)
        popup = wait_for(lambda: find_popup(self.desktop), 10, what="the tray menu")
        self.assertEqual(popup[:2], (150, 120), "the menu opens at the pointer")
        time.sleep(0.5)
        photograph_menu(self.desktop, popup, "native-tray-menu.png")
        # Two rows, "显示主界面" above "退出": the lower one ends the program.
        left, top, width, height = popup
        program.click_at(left + width // 2, top + height * 3 // 4)
        self.assertEqual(program.exit_code(), 0)
        _, record = read_store(self.desktop.store_path)["mousedata"]
        self.assertEqual(struct.unpack_from("<i", record, 8)[0], 1, "the right-click choice was saved on the way out")

    def test_the_exported_menu_is_the_tray_menu_and_its_entries_work_from_the_panel(self):
        watcher = self.peer("watcher", "watcher-dbusmenu")
        program = NativeProgram(self.desktop, "dbusmenu")
        service = self.registered(watcher, program)
        self.assertEqual(json.loads(self.panel("properties", service))["Menu"], "/MenuBar")
        menu = json.loads(self.panel("menu", service))
        (self.desktop.dir / "dbusmenu-as-read.json").write_text(json.dumps(menu, ensure_ascii=False, indent=1),
                                                                encoding="utf-8")
        self.assertEqual((menu["menu"]["Version"], menu["menu"]["Status"]), (3, "normal"))
        self.assertFalse(menu["about_to_show"], "nothing changes when it opens")
        root = menu["layout"]
        self.assertEqual((root["id"], root["properties"]), (0, {"children-display": "submenu"}))
        entries = [(child["properties"], child["children"]) for child in root["children"]]
        self.assertEqual(entries, [({"label": "显示主界面"}, []), ({"label": "退出"}, [])])
        for child in root["children"]:
            self.assertEqual(menu["group"][str(child["id"])], child["properties"])

        # Hidden by a left click on the icon, "显示主界面" brings the window back.
        self.panel("call", service, "Activate", 10, 10)
        wait_for(lambda: not program.window_visible("mainWindow"), 10, what="the main window to hide")
        self.panel("click", service, "显示主界面")
        wait_for(lambda: program.window_visible("mainWindow"), 10, what="显示主界面 to show the window")
        program.click("mainWindow", "type_right")
        program.control("mainWindow", "type_right", where=lambda c: c.checked)
        self.panel("click", service, "退出")
        self.assertEqual(program.exit_code(), 0)
        _, record = read_store(self.desktop.store_path)["mousedata"]
        self.assertEqual(struct.unpack_from("<i", record, 8)[0], 1, "the right-click choice was saved on the way out")

    def test_the_indicator_panels_client_library_shows_the_menu_and_its_exit_works(self):
        watcher = self.peer("watcher", "watcher-dbusmenu-glib")
        program = NativeProgram(self.desktop, "dbusmenu-glib")
        service = self.registered(watcher, program)
        self.assertEqual(json.loads(self.panel("dbusmenu-glib", service)), ["显示主界面", "退出"])
        self.panel("dbusmenu-glib", service, "退出")
        self.assertEqual(program.exit_code(), 0)
        self.assertIn("mousedata", read_store(self.desktop.store_path))

    def test_a_link_without_any_opener_is_answered_with_a_notice(self):
        notices = self.peer("notifications", "notices-no-opener")
        env = self.desktop.env
        self.desktop.env = dict(env, PATH="/nonexistent")
        try:
            program = NativeProgram(self.desktop, "no-opener-notice")
        finally:
            self.desktop.env = env
        program.click("mainWindow", "url")
        shown = wait_for(lambda: notices.entries("notify"), 10, what="the notice about the missing opener")
        self.assertEqual((shown[-1]["summary"], shown[-1]["body"]), ("Zintra", NO_BROWSER))
        self.assertTrue(program.window_visible("mainWindow"))

    def test_notices_on_start_and_stop_replace_each_other_and_stay_off_when_turned_off(self):
        notices = self.peer("notifications", "notices")
        target = X11ClickTarget(self.desktop, rect=(0, 0, 300, 300))
        program = NativeProgram(self.desktop, "notices")
        self.desktop.move_pointer(*target.centre())
        target.focus()
        self.desktop.xdotool("key", "F8")
        wait_for(lambda: notices.entries("notify"), 10, what="the start notice")
        self.desktop.xdotool("key", "F8")
        shown = wait_for(lambda: len(notices.entries("notify")) >= 2 and notices.entries("notify"), 10,
                         what="the stop notice")
        self.assertEqual([(n["summary"], n["body"], n["app_name"]) for n in shown],
                         [(STARTED, "", "Zintra"), (STOPPED, "", "Zintra")])
        self.assertEqual(shown[0]["replaces_id"], 0)
        self.assertEqual(shown[1]["replaces_id"], shown[0]["id"], "the stop notice replaces the start notice")

        # Turned off in the settings window ("其他设置", the second tab).
        program.click("mainWindow", "btn_Sett")
        program.window("SettingWindow")
        time.sleep(0.5)
        tabs = program.control("SettingWindow", "tab_main")
        program.click_at(tabs.left + 100 + 50, tabs.top + 14)
        time.sleep(0.8)  # the page slides in
        program.click("SettingWindow", "chk_CloseRightTip")
        program.control("SettingWindow", "chk_CloseRightTip", where=lambda c: c.checked)
        program.click("SettingWindow", "btn_sure")
        wait_for(lambda: not program.window_visible("SettingWindow"), 10, what="the settings window to close")
        before = len(target.downs())
        self.desktop.move_pointer(*target.centre())
        target.focus()
        self.desktop.xdotool("key", "F8")
        wait_for(lambda: len(target.downs()) > before, 10, what="clicks of the quiet run")
        self.desktop.xdotool("key", "F8")
        time.sleep(1.0)
        self.assertEqual(len(notices.entries("notify")), 2, "no notice once they are turned off")

    def test_a_restarted_watcher_gets_the_item_again(self):
        watcher = self.peer("watcher", "watcher-first")
        program = NativeProgram(self.desktop, "restart")
        service = self.registered(watcher, program)
        watcher.stop()
        again = self.peer("watcher", "watcher-second")
        self.assertEqual(self.registered(again, program), service)
        self.assertEqual(json.loads(self.panel("properties", service))["ToolTip"][2], TIP)

    def test_without_a_watcher_it_still_clicks_and_a_late_watcher_brings_the_icon(self):
        notices = self.peer("notifications", "notices-no-watcher")
        target = X11ClickTarget(self.desktop, rect=(0, 0, 300, 300))
        program = NativeProgram(self.desktop, "no-watcher")
        log = self.desktop.dir / "no-watcher.log"
        wait_for(lambda: "running without a tray icon" in log.read_text(), 10, what="the log line")
        self.desktop.move_pointer(*target.centre())
        target.focus()
        self.desktop.xdotool("key", "F8")
        wait_for(lambda: len(target.downs()) >= 3, 10, what="clicks without a tray")
        self.desktop.xdotool("key", "F8")
        # Notices need no icon: the notification server is a service of its own.
        wait_for(lambda: len(notices.entries("notify")) >= 2, 10, what="the start and stop notices")
        # A panel that starts later shows the icon, and from then on the close button only hides.
        watcher = self.peer("watcher", "watcher-late")
        self.registered(watcher, program)
        program.click("mainWindow", "btn_close")
        wait_for(lambda: not program.window_visible("mainWindow"), 10, what="the close button to hide the window")
        self.assertIsNone(program.process.poll())
        self.assertEqual(log.read_text().count("running without a tray icon"), 1, "said once")

    def test_without_a_watcher_the_close_button_ends_the_program(self):
        program = NativeProgram(self.desktop, "no-watcher-close")
        program.click("mainWindow", "btn_close")
        self.assertEqual(program.exit_code(), 0)


class NativeTrayInAnXEmbedTray(NativeTestCase):
    """No session bus at all: an older panel's system tray is the notification area."""

    def setUp(self):
        self.desktop.store_path.parent.mkdir(parents=True, exist_ok=True)
        for path in self.desktop.store_path.parent.iterdir():
            path.unlink()
        self.desktop.set_mouse_data(mouse_data())
        self.trays = []

    def tearDown(self):
        super().tearDown()
        for tray in self.trays:
            tray.stop()

    def tray(self, name="tray"):
        tray = XEmbedTray(self.desktop, name)
        self.trays.append(tray)
        return tray

    def test_the_icon_docks_in_the_tray_painted_over_it_and_its_clicks_work(self):
        tray = self.tray()
        program = NativeProgram(self.desktop, "xembed")
        left, top, width, height = tray.docked()
        self.assertEqual((width, height), (22, 22))
        time.sleep(0.5)
        shot = self.desktop.screenshot("xembed-screen.png")
        subprocess.run([CONVERT, str(shot), "-crop", "200x30+1000+0", "+repage",
                        str(self.desktop.dir / "native-xembed-tray.png")], check=True, timeout=30)
        _, _, pixel = pixels(shot)
        # The picture's transparent corner shows the panel; inside are the logo's teal square and white mouse.
        self.assertEqual(pixel(left, top), XEmbedTray.PANEL)
        red, green, blue = pixel(left + 3, top + height // 2)
        self.assertTrue(red < 60 and green > 120 and blue > 120, f"teal at the logo's edge, not {(red, green, blue)}")
        self.assertTrue(all(c > 200 for c in pixel(left + width // 2, top + height // 2 + 4)), "the white mouse")
        centre = (left + width // 2, top + height // 2)

        program.click_at(*centre)
        wait_for(lambda: not program.window_visible("mainWindow"), 10, what="a left click to hide the window")
        self.desktop.move_pointer(centre[0], centre[1] + 100)  # xdotool's --sync waits for a move
        program.click_at(*centre)
        wait_for(lambda: program.window_visible("mainWindow"), 10, what="a left click to show the window")
        # Hidden again, then "显示主界面", the menu's upper row, brings it back.
        self.desktop.move_pointer(centre[0], centre[1] + 100)
        program.click_at(*centre)
        wait_for(lambda: not program.window_visible("mainWindow"), 10, what="a left click to hide the window")
        self.desktop.move_pointer(centre[0], centre[1] + 100)
        program.click_at(*centre, button=3)
        left, top, width, height = wait_for(lambda: find_popup(self.desktop), 10, what="the tray menu")
        program.click_at(left + width // 2, top + height // 4)
        wait_for(lambda: program.window_visible("mainWindow"), 10, what="显示主界面 to show the window")
        self.desktop.move_pointer(centre[0], centre[1] + 100)
        program.click("mainWindow", "type_right")
        program.control("mainWindow", "type_right", where=lambda c: c.checked)
        program.click_at(*centre, button=3)
        popup = wait_for(lambda: find_popup(self.desktop), 10, what="the tray menu")
        time.sleep(0.5)
        photograph_menu(self.desktop, popup, "native-xembed-tray-menu.png")
        left, top, width, height = popup
        program.click_at(left + width // 2, top + height * 3 // 4)
        self.assertEqual(program.exit_code(), 0)
        _, record = read_store(self.desktop.store_path)["mousedata"]
        self.assertEqual(struct.unpack_from("<i", record, 8)[0], 1, "saved on the way out")
        wait_for(lambda: any(line.startswith("gone ") for line in tray.lines()), 10, what="the icon to leave the tray")

    def test_a_tray_that_starts_late_or_restarts_gets_the_icon(self):
        program = NativeProgram(self.desktop, "xembed-late")
        log = self.desktop.dir / "xembed-late.log"
        wait_for(lambda: "running without a tray icon" in log.read_text(), 10, what="the log line")
        first = self.tray("tray-first")
        first.docked()
        first.stop()
        second = self.tray("tray-second")
        centre = (lambda r: (r[0] + r[2] // 2, r[1] + r[3] // 2))(second.docked())
        program.click_at(*centre)
        wait_for(lambda: not program.window_visible("mainWindow"), 10, what="a left click on the new tray's icon")


if __name__ == "__main__":
    unittest.main(verbosity=2)
