"""The real zintra.exe under Wine as a screen reader and a keyboard-only user
meet it: access_probe.exe reads every window through AccessibleObjectFromWindow
and the tree is compared with what the window shows (the toolkit's control
map); the program is driven through accessible actions alone; focus events are
watched with SetWinEventHook while real Tab keys move the focus; and a click
limit is set with keys alone and kept to."""

import json
import os
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from program_harness import Program  # noqa: E402
from wine_harness import ClickTarget, WineTestCase, summary, wait_for  # noqa: E402

ROLE_CLIENT, ROLE_STATICTEXT, ROLE_PUSHBUTTON = 0x0A, 0x29, 0x2B
ROLE_CHECKBUTTON, ROLE_RADIOBUTTON, ROLE_COMBOBOX, ROLE_LISTITEM = 0x2C, 0x2D, 0x2E, 0x22
ROLE_PAGETAB, ROLE_PAGETABLIST, ROLE_TEXT, ROLE_LINK, ROLE_HOTKEYFIELD = 0x25, 0x3C, 0x2A, 0x1E, 0x32
STATE_UNAVAILABLE, STATE_FOCUSED, STATE_CHECKED, STATE_SELECTED = 0x1, 0x4, 0x10, 0x2
STATE_FOCUSABLE, STATE_INVISIBLE, STATE_OFFSCREEN = 0x100000, 0x8000, 0x10000
EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_NAMECHANGE = 0x8005, 0x800A, 0x800C


class Accessibility(WineTestCase):
    def setUp(self):
        self.desktop.delete_mouse_data()

    # ---- the probe ----

    def probe(self, *args):
        result = self.desktop.run(os.environ["ZINTRA_ACCESS_PROBE"], *args, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr.decode("utf-8", "replace"))
        return result.stdout.decode("utf-8")

    def tree(self):
        """{hwnd: [node, ...]} of every shown host window, depth first."""
        windows = {}
        for line in self.probe("tree").splitlines():
            node = json.loads(line)
            windows.setdefault(node["hwnd"], []).append(node)
        return windows

    def window_tree(self, frame, timeout=15):
        """The nodes of the host window whose client area is `frame`."""
        def found():
            for nodes in self.tree().values():
                left, top, width, height = nodes[0]["location"]
                if (left, top, left + width, top + height) == (frame.left, frame.top, frame.right, frame.bottom):
                    return nodes
            return None
        return wait_for(found, timeout, what="the window's accessible tree")

    @staticmethod
    def named(nodes, name, depth=1, role=None):
        matches = [n for n in nodes if n["name"] == name and n["depth"] == depth and role in (None, n["role"])]
        assert matches, f"no node {name!r} in {[n['name'] for n in nodes]}"
        return matches[0]

    @staticmethod
    def focused(nodes):
        return [n["name"] for n in nodes if n["depth"] == 1 and n["state"] & STATE_FOCUSED]

    def entries(self, nodes, name):
        box = self.named(nodes, name, role=ROLE_COMBOBOX)
        return [n for n in nodes if n["depth"] == 2 and n["path"][0] == box["path"][0]]

    def act(self, nodes, name, entry=None):
        self.probe("do", str(nodes[0]["hwnd"]), name, *([entry] if entry else []))
        time.sleep(0.4)

    def assert_at(self, node, control):
        left, top, width, height = node["location"]
        self.assertEqual((left, top, left + width, top + height),
                         (control.left, control.top, control.right, control.bottom), node["name"])

    def clicks_for(self, target, seconds):
        self.desktop.move_pointer(*target.centre())
        self.desktop.press_keys(target.window, "F8")
        time.sleep(seconds)
        self.desktop.press_keys(target.window, "F8")
        time.sleep(0.5)
        return target.downs()

    # ---- tests ----

    def test_tree_of_the_main_window_is_what_it_shows(self):
        program = Program(self.desktop, "access-main")
        frame = program.window("mainWindow")
        nodes = self.window_tree(frame)
        self.assertEqual((nodes[0]["role"], nodes[0]["name"]), (ROLE_CLIENT, "Zintra"))
        (self.desktop.dir / "access-main-tree.json").write_text("\n".join(json.dumps(n, ensure_ascii=False)
                                                                         for n in nodes), encoding="utf-8")
        controls = program.controls()
        # Each control's node: its role, name or value, state and place on the screen.
        expected = {
            "btn_close": (ROLE_PUSHBUTTON, "关闭"), "btn_min": (ROLE_PUSHBUTTON, "最小化"),
            "btn_Sett": (ROLE_PUSHBUTTON, "设置"), "type_left": (ROLE_RADIOBUTTON, "鼠标左键"),
            "type_right": (ROLE_RADIOBUTTON, "鼠标右键"), "type_leftdown": (ROLE_RADIOBUTTON, "左键长按"),
            "cbx_Time": (ROLE_COMBOBOX, "每次点击间隔时间"), "cbx_hotkey": (ROLE_COMBOBOX, "启动和停止的热键"),
        }
        for name, (role, accessible_name) in expected.items():
            control = controls[("mainWindow", name)]
            node = self.named(nodes, accessible_name, role=role)
            self.assert_at(node, control)
            if role == ROLE_RADIOBUTTON:
                self.assertEqual(bool(node["state"] & STATE_CHECKED), control.checked, name)
            if role == ROLE_COMBOBOX:
                self.assertEqual(node["value"], control.text, name)
                self.assertEqual(node["action"], "Open")
        self.assertEqual(self.named(nodes, "F8")["role"], ROLE_STATICTEXT)
        # The caption's last text shares its words with a label; it is the one where it is drawn.
        mousetype = controls[("mainWindow", "txt_mousetype")]
        texts = [n for n in nodes if n["name"] == mousetype.text and n["role"] == ROLE_STATICTEXT]
        width, height = mousetype.size
        self.assertIn([mousetype.left, mousetype.top, width, height], [n["location"] for n in texts])
        entries = self.entries(nodes, "每次点击间隔时间")
        self.assertEqual([n["name"] for n in entries], ["0.01", "0.02", "0.05", "0.1", "0.2", "0.6", "1", "2", "3", "自定义"])
        # Closed, the entries are nowhere; open, each is its own row of the list under (or over) the box.
        for entry in entries:
            self.assertEqual(entry["state"] & (STATE_INVISIBLE | STATE_OFFSCREEN), STATE_INVISIBLE | STATE_OFFSCREEN)
            self.assertEqual(entry["location"][2:], [0, 0], entry["name"])
        self.act(nodes, "每次点击间隔时间")
        box = controls[("mainWindow", "cbx_Time")]
        rows = wait_for(lambda: [e["location"] for e in self.entries(self.window_tree(frame), "每次点击间隔时间")
                                 if not e["state"] & STATE_INVISIBLE] or None, 10, what="the open list's entries")
        self.assertEqual(len(rows), 10, rows)
        self.assertIn(rows[0][1], (box.bottom + 1, box.top - 1 - 10 * 22), rows)
        for index, (left, top, width, height) in enumerate(rows):
            self.assertEqual((left, top, width, height), (box.left + 1, rows[0][1] + 22 * index, box.right - box.left - 2, 22))
        self.desktop.press_keys(self.desktop.find_window("Zintra"), "Escape")

    def test_accessible_actions_alone_give_right_clicks_five_times_a_second(self):
        target = ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        program = Program(self.desktop, "access-act")
        nodes = self.window_tree(program.window("mainWindow"))
        self.act(nodes, "鼠标右键")
        program.control("mainWindow", "txt_mousetype", where=lambda c: c.text == "开始右键连点")
        self.act(nodes, "每次点击间隔时间", "0.2")
        program.control("mainWindow", "cbx_Time", where=lambda c: c.text == "0.2")
        nodes = self.window_tree(program.window("mainWindow"))
        self.assertTrue(self.named(nodes, "鼠标右键")["state"] & STATE_CHECKED)
        self.assertEqual(self.named(nodes, "每次点击间隔时间", role=ROLE_COMBOBOX)["value"], "0.2")
        downs = self.clicks_for(target, 2.0)
        self.assertGreaterEqual(len(downs), 6)
        self.assertTrue(all(kind == "RD" for _, kind, _, _ in downs), downs)
        rate, median, _ = summary([t for t, *_ in downs])
        self.assertGreater(median, 150)
        self.assertLess(median, 320)

    def test_settings_window_tree_pages_and_boxes(self):
        program = Program(self.desktop, "access-settings")
        nodes = self.window_tree(program.window("mainWindow"))
        self.act(nodes, "设置")
        frame = program.window("SettingWindow")
        nodes = self.window_tree(frame)
        controls = program.controls()
        tabs = self.named(nodes, "点击设置", role=ROLE_PAGETABLIST)
        self.assertEqual(tabs["role"], ROLE_PAGETABLIST)
        pages = [n for n in nodes if n["depth"] == 2 and n["path"][0] == tabs["path"][0]]
        self.assertEqual([p["name"] for p in pages], ["点击设置", "其他设置", "关于"])
        self.assertEqual([bool(p["state"] & STATE_SELECTED) for p in pages], [True, False, False])
        limit = self.named(nodes, "启用限制连点次数")
        self.assertEqual(limit["role"], ROLE_CHECKBUTTON)
        self.assert_at(limit, controls[("SettingWindow", "useLimitCount")])
        field = self.named(nodes, "点击")
        self.assertEqual(self.named(nodes, "点击")["role"], ROLE_STATICTEXT)
        edits = [n for n in nodes if n["role"] == ROLE_TEXT]
        self.assertTrue(all(n["state"] & STATE_UNAVAILABLE for n in edits), edits)
        self.assertIsNotNone(field)
        # Ticking through the tree enables the count field, as a click does.
        self.act(nodes, "启用限制连点次数")
        program.control("SettingWindow", "useLimitCount", where=lambda c: c.checked)
        program.control("SettingWindow", "edt_LimitCount", where=lambda c: c.enabled)
        # The second page through its tab.
        self.act(nodes, "点击设置", "其他设置")
        program.control("SettingWindow", "chk_setAutoRun", where=lambda c: c.visible)
        nodes = self.window_tree(frame)
        self.named(nodes, "跟随系统一起启动程序")
        program.photograph("SettingWindow", "access-settings-page-1.png")

    def other_window(self, known):
        return wait_for(lambda: [w for w in self.desktop.xdotool("search", "--name", "^Zintra$").split()
                                 if w not in known][:1], 10, what="a new window")[0]

    def test_custom_interval_dialog_is_read_and_answered_with_keys(self):
        program = Program(self.desktop, "access-custom")
        main = self.desktop.find_window("Zintra")
        nodes = self.window_tree(program.window("mainWindow"))
        self.act(nodes, "每次点击间隔时间", "自定义")
        frame = program.window("customWindow")
        dialog = self.window_tree(frame)
        controls = program.controls()
        caption = self.named(dialog, "请输入要设置的时间间隔", role=ROLE_STATICTEXT)
        self.assert_at(caption, controls[("customWindow", "txt_caption")])
        field = self.named(dialog, "请输入要设置的时间间隔", role=ROLE_TEXT)
        self.assert_at(field, controls[("customWindow", "edt_customtime")])
        self.assertEqual(field["value"], "")
        for name in ("取消", "确定"):
            self.assertEqual(self.named(dialog, name)["role"], ROLE_PUSHBUTTON)
        window = self.other_window([main])
        self.desktop.press_keys(window, "Tab")
        program.type_text("0.35")
        self.assertEqual(self.named(self.window_tree(frame), "请输入要设置的时间间隔", role=ROLE_TEXT)["value"], "0.35")
        self.desktop.press_keys(window, "Return")
        program.control("mainWindow", "cbx_Time", where=lambda c: c.text == "0.35")
        nodes = self.window_tree(program.window("mainWindow"))
        self.assertEqual(self.named(nodes, "每次点击间隔时间", role=ROLE_COMBOBOX)["value"], "0.35")
        # Esc closes it without a change.
        self.act(nodes, "每次点击间隔时间", "自定义")
        program.window("customWindow")
        window = self.other_window([main])
        self.desktop.press_keys(window, "Tab")
        program.type_text("9")
        self.desktop.press_keys(window, "Escape")
        wait_for(lambda: not program.window_visible("customWindow"), 10, what="the dialog to close")
        program.control("mainWindow", "cbx_Time", where=lambda c: c.text == "0.35")

    def test_custom_hotkey_dialog_is_read_and_confirmed_with_keys(self):
        program = Program(self.desktop, "access-hotkey")
        main = self.desktop.find_window("Zintra")
        nodes = self.window_tree(program.window("mainWindow"))
        self.act(nodes, "启动和停止的热键", "自定义")
        frame = program.window("customWindow")
        dialog = self.window_tree(frame)
        field = self.named(dialog, "请直接在键盘上输入新的热键", role=ROLE_HOTKEYFIELD)
        self.assert_at(field, program.controls()[("customWindow", "ctrl_hk1")])
        self.assertTrue(field["state"] & STATE_FOCUSED, "the field has the focus when the dialog opens")
        window = self.other_window([main])
        self.desktop.press_keys(window, "F6")
        program.control("customWindow", "ctrl_hk1", where=lambda c: c.text == "F6")
        self.assertEqual(self.named(self.window_tree(frame), "请直接在键盘上输入新的热键",
                                    role=ROLE_HOTKEYFIELD)["value"], "F6")
        # Tab leaves the field (keys there are captured): cancel, then confirm.
        self.desktop.press_keys(window, "Tab", "Tab")
        self.assertEqual(self.focused(self.window_tree(frame)), ["确定"])
        self.desktop.press_keys(window, "Return")
        wait_for(lambda: not program.window_visible("customWindow"), 10, what="the dialog to close")
        program.control("mainWindow", "txt_hotkey", where=lambda c: c.text == "F6")

    def test_focus_events_follow_real_tab_keys(self):
        program = Program(self.desktop, "access-focus")
        frame = program.window("mainWindow")
        log = self.desktop.dir / "access-focus-events.json"
        log.unlink(missing_ok=True)
        watcher = self.desktop.start(os.environ["ZINTRA_ACCESS_PROBE"], "events", "10", program.wine_path(log))
        wait_for(lambda: log.exists() and "hooked" in log.read_text(), 20, what="the event hook")
        main = self.desktop.find_window("Zintra")
        self.desktop.press_keys(main, "Tab", "Tab", "Tab")
        time.sleep(1.0)
        nodes = self.window_tree(frame)
        self.assertEqual(self.focused(nodes), ["关闭"], "three Tabs: settings, minimise, close")
        program.photograph("mainWindow", "access-focus-ring.png")
        # On to the radios; Down picks the next one, and the caption's text follows.
        self.desktop.press_keys(main, "Tab", "Down")
        program.control("mainWindow", "txt_mousetype", where=lambda c: c.text == "开始右键连点")
        watcher.wait(30)
        events = [json.loads(line) for line in log.read_text(encoding="utf-8").splitlines()]
        self.assertTrue(events[0]["hooked"], "SetWinEventHook works under Wine")
        focus = [e["name"] for e in events[1:] if e.get("event") == EVENT_OBJECT_FOCUS and e["name"] is not None]
        self.assertEqual(focus, ["设置", "最小化", "关闭", "鼠标左键", "鼠标右键"], events)
        changed = [(e["event"], e["name"]) for e in events[1:]]
        self.assertIn((EVENT_OBJECT_STATECHANGE, "鼠标右键"), changed)
        self.assertIn((EVENT_OBJECT_NAMECHANGE, "开始右键连点"), changed)

    def test_keyboard_alone_sets_a_click_limit_of_three(self):
        target = ClickTarget(self.desktop, rect=(0, 0, 400, 400))
        program = Program(self.desktop, "access-keys")
        main_frame = program.window("mainWindow")
        main = self.desktop.find_window("Zintra")
        self.desktop.press_keys(main, "Tab", "Return")  # the settings button comes first
        frame = program.window("SettingWindow")
        settings = wait_for(lambda: [w for w in self.desktop.xdotool("search", "--name", "^Zintra$").split()
                                     if w != main][:1], 10, what="the settings window")[0]
        for _ in range(12):
            if self.focused(self.window_tree(frame)) == ["启用限制连点次数"]:
                break
            self.desktop.press_keys(settings, "Tab")
            time.sleep(0.2)
        self.assertEqual(self.focused(self.window_tree(frame)), ["启用限制连点次数"])
        program.photograph("SettingWindow", "access-keys-focus.png")
        self.desktop.press_keys(settings, "space", "Tab", "BackSpace", "3")
        program.control("SettingWindow", "edt_LimitCount", where=lambda c: c.text == "3")
        self.desktop.press_keys(settings, "Return")
        wait_for(lambda: not program.window_visible("SettingWindow"), 10, what="the settings window to close")
        time.sleep(0.5)
        self.assertIsNotNone(main_frame)
        # One F8: the run ends by itself after three clicks.
        self.desktop.move_pointer(*target.centre())
        self.desktop.press_keys(target.window, "F8")
        time.sleep(2.0)
        self.assertEqual(len(target.downs()), 3, target.downs())


if __name__ == "__main__":
    unittest.main()
