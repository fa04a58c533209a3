"""The Linux accessibility stack the native end-to-end tests read programs
through: a private session bus, the AT-SPI bus launcher and registry on the
test's display, and a pyatspi client. A GTK 3 dialog (zenity) shows in the
registry with its roles, names, extents and actions, which proves the stack
before any test looks for our program there. Then Zintra through the same
stack: its windows' trees are what the UI map shows (roles, Chinese names,
states, extents within a pixel, at 96 and 192 DPI), an accessible action and
a real F8 give right clicks, real Tab keys raise focus events, a typed
interval reads back through Text, and an open list's entries have their own
extents."""

import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeProgram, NativeTestCase, X11ClickTarget, wait_for  # noqa: E402

from harness.atspi import AccessibilityStack  # noqa: E402


def app_nodes(tree, path):
    """The nodes at and below `path`."""
    return [n for n in tree if n["path"][:len(path)] == path]


def near(extents, control, slack=1):
    """Whether AT-SPI extents (x, y, width, height) are the map's rectangle within `slack` pixels."""
    x, y, width, height = extents
    edges = (x, y, x + width, y + height)
    return all(abs(a - b) <= slack for a, b in zip(edges, (control.left, control.top, control.right, control.bottom)))


class AtspiTestCase(NativeTestCase):
    """A display with the accessibility stack (at `dpi`, when set) for each class."""

    dpi = None
    # Controls of each window: (role, name as read).
    MAIN = {
        "btn_close": ("push button", "关闭"), "btn_min": ("push button", "最小化"),
        "btn_Sett": ("push button", "设置"), "type_left": ("radio button", "鼠标左键"),
        "type_right": ("radio button", "鼠标右键"), "type_leftdown": ("radio button", "左键长按"),
        "cbx_Time": ("combo box", "每次点击间隔时间"), "cbx_hotkey": ("combo box", "启动和停止的热键"),
    }
    SETTINGS = {"useLimitCount": ("check box", "启用限制连点次数"), "tab_main": ("page tab list", "点击设置")}
    INTERVAL = {"txt_caption": ("label", "请输入要设置的时间间隔"), "edt_customtime": ("entry", "请输入要设置的时间间隔")}
    HOTKEY = {"ctrl_hk1": ("entry", "请直接在键盘上输入新的热键")}

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        try:
            if cls.dpi:
                # A client stays connected first: the server forgets its resources when the last one leaves.
                cls.keeper = X11ClickTarget(cls.desktop, "resource-keeper", rect=(1200, 1000, 1210, 1010))
                subprocess.run(["xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER",
                                f"Xft.dpi:\t{cls.dpi}\n"], env=cls.desktop.env, check=True, timeout=30)
                cls.desktop.processes.remove(cls.keeper.process)
            cls.stack = AccessibilityStack(cls.desktop)
        except Exception:
            cls.desktop.close()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.stack.close()
        super().tearDownClass()

    def setUp(self):
        self.desktop.clear_settings()
        self.client = self.stack.client

    # ---- helpers ----

    def start(self, name):
        program = NativeProgram(self.desktop, name)
        self.client.wait_for_app("Zintra")
        return program

    def window_nodes(self, program, window, timeout=15):
        """The nodes of the window the map calls `window`: its frame is where the map puts the window."""
        frame = program.window(window)

        def found():
            tree = self.client.tree("Zintra")
            for node in tree:
                if len(node["path"]) == 1 and near(node.get("extents", [0, 0, 0, 0]), frame):
                    return app_nodes(tree, node["path"])
            return None
        return wait_for(found, timeout, interval=0.2, what=f"the {window} window in the AT-SPI tree")

    @staticmethod
    def named(nodes, role, name):
        matches = [n for n in nodes if n["role"] == role and n["name"] == name]
        assert matches, f"no {role} {name!r} in {[(n['role'], n['name']) for n in nodes]}"
        return matches[0]

    def assert_matches_map(self, program, window, expected):
        nodes = self.window_nodes(program, window)
        controls = program.controls()
        for control_name, (role, name) in expected.items():
            control = controls[(window, control_name)]
            node = self.named(nodes, role, name)
            self.assertTrue(near(node["extents"], control), (control_name, node["extents"], control))
            self.assertIn("showing", node["states"], control_name)
            self.assertEqual("enabled" in node["states"], control.enabled, control_name)
            if role in ("radio button", "check box"):
                self.assertEqual("checked" in node["states"], control.checked, control_name)
        return nodes

    def act(self, node, action):
        self.assertTrue(self.client.ask("act", app="Zintra", path=node["path"], action=action)["done"], node)

    def entry_of(self, nodes, combo, name):
        box = self.named(nodes, "combo box", combo)
        return next(n for n in app_nodes(nodes, box["path"]) if n["role"] == "list item" and n["name"] == name)



class AccessibilityStackOnXvfb(AtspiTestCase):
    """The stack itself, read with a GTK 3 dialog."""

    def test_a_gtk_dialog_is_read_through_the_registry(self):
        client = self.client
        self.assertNotIn("zenity", client.apps())
        self.desktop.start("zenity", "--question", "--title=Probe", "--text=Ready?", "--ok-label=Yes",
                           "--cancel-label=No")
        client.wait_for_app("zenity")
        # The dialog is mapped and laid out once its buttons have a size.
        buttons = wait_for(lambda: [n for n in client.tree("zenity") if n["role"] == "push button"
                                    and n.get("extents", [0, 0, 0, 0])[2] > 0] or None, 20,
                           what="the dialog's buttons")
        self.assertEqual(sorted(b["name"] for b in buttons), ["No", "Yes"])
        frame = next(n for n in client.tree("zenity") if n["role"] == "dialog")
        self.assertEqual(frame["name"], "Probe")
        self.assertIn("showing", frame["states"])
        left, top, width, height = frame["extents"]
        for button in buttons:
            x, y, w, h = button["extents"]
            self.assertTrue(left <= x and x + w <= left + width and top <= y and y + h <= top + height, button)
            self.assertIn("click", button["actions"])
        self.assertTrue(any(n["role"] == "label" and n["name"] == "Ready?" for n in client.tree("zenity")))
        # Its action is the button's own: "No" ends zenity with status 1.
        zenity = self.desktop.processes[-1]
        no = next(b for b in buttons if b["name"] == "No")
        self.assertTrue(client.ask("act", app="zenity", path=no["path"], action="click")["done"])
        self.assertEqual(zenity.wait(10), 1)
        wait_for(lambda: "zenity" not in client.apps(), 10, interval=0.2, what="zenity to leave the registry")


class ZintraOnTheAccessibilityBus(AtspiTestCase):
    """Zintra read and worked through AT-SPI as a screen reader does."""

    def test_windows_are_read_as_the_map_shows_them(self):
        program = self.start("windows")
        self.assertIn("Zintra", self.client.apps())
        main = self.assert_matches_map(program, "mainWindow", self.MAIN)
        self.assertEqual(self.window_nodes(program, "mainWindow")[0]["name"], "Zintra")
        self.act(self.named(main, "push button", "设置"), "click")
        settings = self.assert_matches_map(program, "SettingWindow", self.SETTINGS)
        tabs = self.named(settings, "page tab list", "点击设置")
        pages = [n["name"] for n in app_nodes(settings, tabs["path"]) if n["role"] == "page tab"]
        self.assertEqual(pages, ["点击设置", "其他设置", "关于"])

    def test_custom_dialogs_are_read_and_an_interval_typed_is_read_back(self):
        program = self.start("dialogs")
        main = self.window_nodes(program, "mainWindow")
        self.act(self.entry_of(main, "每次点击间隔时间", "自定义"), "select")
        dialog = self.assert_matches_map(program, "customWindow", self.INTERVAL)
        program.click("customWindow", "edt_customtime")
        program.type_text("0.35")
        wait_for(lambda: self.named(self.window_nodes(program, "customWindow"), "entry",
                                    "请输入要设置的时间间隔").get("text") == "0.35", 10, what="the typed interval in Text")
        field = self.named(self.window_nodes(program, "customWindow"), "entry", "请输入要设置的时间间隔")
        if "Value" in field["interfaces"]:
            self.assertAlmostEqual(field["value"], 0.35)
        self.desktop.xdotool("key", "Return")
        program.control("mainWindow", "cbx_Time", where=lambda c: c.text == "0.35")
        self.act(self.entry_of(self.window_nodes(program, "mainWindow"), "启动和停止的热键", "自定义"), "select")
        self.assert_matches_map(program, "customWindow", self.HOTKEY)

    def test_right_clicks_after_the_radio_action_and_f8(self):
        target = X11ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        program = self.start("right")
        self.act(self.named(self.window_nodes(program, "mainWindow"), "radio button", "鼠标右键"), "click")
        program.control("mainWindow", "type_right", where=lambda c: c.checked)
        downs = target.press_around("F8", 1.0)
        self.assertGreaterEqual(len(downs), 3, downs)
        self.assertTrue(all(kind == "RD" for _, kind, *_ in downs), downs)

    def test_focus_events_follow_real_tab_keys(self):
        program = self.start("focus")
        self.window_nodes(program, "mainWindow")
        self.client.ask("events")
        self.client.ask("listen", events=["object:state-changed:focused"])
        self.desktop.press_keys(self.desktop.find_window("Zintra"), "Tab", "Tab", "Tab")
        expected = ["设置", "最小化", "关闭"]

        def focused():
            names = [e.get("name") for e in self.collected if e["detail1"] == 1]
            return names if len(names) >= 3 else None
        self.collected = []
        names = wait_for(lambda: self.collected.extend(self.client.ask("events")["events"]) or focused(), 10,
                         interval=0.2, what="three focus events")
        self.assertEqual(names[:3], expected, self.collected)

    def test_an_open_lists_entries_have_their_own_extents(self):
        program = self.start("list")
        box = program.control("mainWindow", "cbx_Time")
        main = self.window_nodes(program, "mainWindow")
        entries = [n for n in app_nodes(main, self.named(main, "combo box", "每次点击间隔时间")["path"])
                   if n["role"] == "list item"]
        self.assertEqual(len(entries), 10)
        self.assertTrue(all("showing" not in e["states"] for e in entries), entries)
        # Readers that keep what they were told (Orca does) hear the entries appear and go.
        self.client.ask("events")
        self.client.ask("listen", events=["object:state-changed:showing"])
        collected = []

        def entries_told(shown):
            collected.extend(self.client.ask("events")["events"])
            told = [e for e in collected if e.get("role") == "list item" and e["detail1"] == shown]
            return told if len(told) >= 10 else None
        self.act(self.named(main, "combo box", "每次点击间隔时间"), "press")
        wait_for(lambda: entries_told(1), 10, interval=0.2, what="the entries told shown")

        def shown():
            nodes = self.window_nodes(program, "mainWindow")
            combo = self.named(nodes, "combo box", "每次点击间隔时间")
            rows = [n["extents"] for n in app_nodes(nodes, combo["path"]) if n["role"] == "list item"
                    and "showing" in n["states"]]
            return rows if len(rows) == 10 else None
        rows = wait_for(shown, 10, interval=0.2, what="the open list's entries")
        scale = (self.dpi or 96) / 96
        row = round(22 * scale)
        self.assertTrue(abs(rows[0][1] - (box.bottom + round(scale))) <= 1, (rows[0], box))
        for index, (x, y, width, height) in enumerate(rows):
            self.assertLessEqual(abs(x - (box.left + round(scale))), 1, rows)
            self.assertLessEqual(abs(y - (rows[0][1] + row * index)), 1, rows)
            self.assertLessEqual(abs(height - row), 1, rows)
        self.desktop.xdotool("key", "Escape")
        wait_for(lambda: entries_told(0), 10, interval=0.2, what="the entries told hidden")


class ZintraOnTheAccessibilityBusAt192Dpi(AtspiTestCase):
    """On a desktop at 192 DPI the extents are still the map's screen pixels."""

    dpi = 192
    test_windows_are_read_as_the_map_shows_them = ZintraOnTheAccessibilityBus.test_windows_are_read_as_the_map_shows_them
    test_an_open_lists_entries_have_their_own_extents = \
        ZintraOnTheAccessibilityBus.test_an_open_lists_entries_have_their_own_extents


if __name__ == "__main__":
    unittest.main(verbosity=2)
