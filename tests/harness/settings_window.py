"""Steps through the settings window shared by the tests that use it on
either system: open it, tick its boxes, show a page, confirm, and read the
settings record confirming stored. Mixed into a test case with `desktop`."""

import time

from harness.desktop import wait_for

WINDOW = "SettingWindow"
# The tab strip lies along the top of tab_main: 28 pixels high, 100-pixel tabs
# side by side from its left edge (tabHeight and tabWidth of the layout).
TAB_HEIGHT = 28
TAB_WIDTH = 100
# Offsets of fields in the stored MouseData record.
POS_X, POS_Y, LIMIT_COUNT = 28, 32, 36


class SettingsWindowSteps:
    def open_settings(self, program):
        program.click("mainWindow", "btn_Sett")
        return program.window(WINDOW)

    def confirm(self, program):
        program.click(WINDOW, "btn_sure")
        wait_for(lambda: not program.window_visible(WINDOW), 10, what="the settings window to close")
        time.sleep(0.5)  # the main window registers its hotkey again

    def show_page(self, program, page):
        tabs = program.control(WINDOW, "tab_main")
        program.click_at(tabs.left + page * TAB_WIDTH + TAB_WIDTH // 2, tabs.top + TAB_HEIGHT // 2)
        time.sleep(0.8)  # the page slides in

    def tick(self, program, box, checked=True):
        program.click(WINDOW, box)
        return program.control(WINDOW, box, where=lambda c: c.checked == checked)

    def stored_record(self):
        stored = self.desktop.stored_mouse_data()
        self.assertIsNotNone(stored, "confirming writes MouseData")
        kind, data = stored
        self.assertEqual((kind, len(data)), (3, 424))
        return data
