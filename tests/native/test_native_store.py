"""The native zintra when its settings cannot be stored or its store's path
holds something odd: with a read-only or a full configuration folder (a small
tmpfs in a mount namespace of the program's own, since root ignores file
modes) it runs on the defaults, F8 clicks and stderr says so once; a FIFO or
a folder at the store's path neither holds the start nor is replaced; a store
that is a symbolic link (as dotfile managers make them) is read and written
where it leads, and stays a link."""

import os
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import (NativeProgram, NativeTestCase, X11ClickTarget, mouse_data, read_store,  # noqa: E402
                            store_text, wait_for)

STORE_PROBLEM = "zintra: the settings cannot be stored; running on the defaults"
# A few seconds, generous for a loaded machine: a start that hangs never gets there.
START_BOUND = 10


def namespace_command():
    """unshare with a private mount namespace (and a user namespace when not root)."""
    command = ["unshare", "--mount", "--propagation", "private"]
    if os.geteuid() != 0:
        command[1:1] = ["--user", "--map-root-user"]
    return command


# Mounts a 64 KiB tmpfs over the configuration folder, makes the program's
# folder in it, then either fills it or makes it read-only, and runs the program.
PREPARE = {
    "full": 'dd if=/dev/zero of="$XDG_CONFIG_HOME/zintra/filler" bs=4k 2>/dev/null || true',
    "read-only": 'mount -o remount,ro "$XDG_CONFIG_HOME"',
}


class NativeStore(NativeTestCase):
    def setUp(self):
        self.config = self.desktop.home / "config"
        subprocess.run(["rm", "-rf", str(self.config)], check=True)
        self.config.mkdir()

    def clicks_on_f8(self, program):
        """The left clicks a second of F8 clicking brings."""
        downs = X11ClickTarget(self.desktop, name=f"{program.name}-clicks").press_around("F8")
        return [down for down in downs if down[1] == "LD"]

    def problem_lines(self, program):
        return [line for line in program.log_path.read_text(errors="replace").splitlines() if line == STORE_PROBLEM]

    def start_within_bound(self, name, **settings):
        program = NativeProgram(self.desktop, name, wait_for_window=None, **settings)
        program.window("mainWindow", timeout=START_BOUND)
        return program

    def test_a_read_only_or_full_configuration_folder_leaves_the_defaults_and_f8(self):
        command = namespace_command()
        if subprocess.run([*command, "true"], capture_output=True).returncode != 0:
            self.skipTest("no mount namespace for the test's tmpfs here")
        for case, prepare in PREPARE.items():
            with self.subTest(case):
                script = ('set -e; mount -t tmpfs -o size=64k,mode=0700 zintra-config "$XDG_CONFIG_HOME"; '
                          f'mkdir "$XDG_CONFIG_HOME/zintra"; {prepare}; exec "$@"')
                program = self.start_within_bound(f"store-{case}", wrapper=[*command, "sh", "-c", script, "sh"])
                downs = self.clicks_on_f8(program)
                self.assertGreaterEqual(len(downs), 5, "F8 starts and stops left clicks every 0.1 s")
                self.assertEqual(len(self.problem_lines(program)), 1, "reported once")
                self.assertTrue(program.close())
                self.assertEqual(program.exit_code(), 0)
                self.assertEqual(list(self.config.iterdir()), [], "the tmpfs stood over the real folder")
                self.desktop.stop_all()

    def test_a_fifo_or_a_folder_at_the_store_path_neither_holds_the_start_nor_is_replaced(self):
        store = self.desktop.store_path
        plants = {"fifo": (lambda: os.mkfifo(store), store.is_fifo), "folder": (store.mkdir, store.is_dir)}
        for case, (plant, still_there) in plants.items():
            with self.subTest(case):
                subprocess.run(["rm", "-rf", str(store)], check=True)
                store.parent.mkdir(parents=True, exist_ok=True)
                plant()
                program = self.start_within_bound(f"store-{case}")
                self.assertGreaterEqual(len(self.clicks_on_f8(program)), 5)
                self.assertEqual(len(self.problem_lines(program)), 1)
                self.assertTrue(program.close())
                self.assertEqual(program.exit_code(), 0)
                self.assertTrue(still_there() and not store.is_symlink(), f"the {case} is still there")
                self.assertEqual([p.name for p in store.parent.iterdir() if ".corrupt-" in p.name], [])
                self.desktop.stop_all()

    def test_a_store_that_is_a_link_is_read_and_written_where_it_leads(self):
        dotfiles = self.desktop.home / "dotfiles"
        dotfiles.mkdir(exist_ok=True)
        target = dotfiles / "zintra-store"
        # F6 as the stored hotkey: only a store read through the link makes it work.
        target.write_text(store_text({"MouseData": (3, mouse_data(vk=0x75))}))
        link = self.desktop.store_path
        link.parent.mkdir(parents=True, exist_ok=True)
        link.symlink_to(os.path.relpath(target, link.parent))
        program = self.start_within_bound("store-link")
        downs = X11ClickTarget(self.desktop, name="store-link-clicks").press_around("F6", seconds=0.6)
        self.assertGreaterEqual(len(downs), 3, "the hotkey stored behind the link works")
        # The day's first start writes its record at once; it lands behind the link.
        wait_for(lambda: "lastruntime" in (read_store(target) or {}), 20, what="the daily record behind the link")
        self.assertTrue(program.close())
        self.assertEqual(program.exit_code(), 0)
        self.assertTrue(link.is_symlink(), "the link stays")
        self.assertEqual(link.resolve(), target.resolve())
        stored = read_store(target)
        self.assertEqual(stored["mousedata"][1][16:20], (0x75).to_bytes(4, "little"), "saved at exit through it")
        self.assertEqual(sorted(p.name for p in dotfiles.iterdir()), ["zintra-store"], "no temporary file left")
        self.assertEqual(self.problem_lines(program), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
