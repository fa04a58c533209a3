"""The real zintra.exe under Wine against hostile conditions: update servers
that trickle, flood, loop or answer nonsense must only ever cost a delay (the
main window still opens, no update is offered, nothing crashes), and ten
copies started at once leave exactly one running."""

import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from program_harness import Program  # noqa: E402
from server_harness import ServerTestCase  # noqa: E402
from wine_harness import WineTestCase, wait_for  # noqa: E402

UPDATE = "/update/update.json"
OFFER = '{"version": 99, "updateInfo": "x", "url": "http://127.0.0.1:9/setup.exe"}'


class HostileUpdateServer(ServerTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.desktop.env["ZINTRA_UPDATE_URL"] = cls.server.base + UPDATE

    def assert_starts_normally(self, name, timeout=60):
        program = Program(self.desktop, name, wait_for_window=None)
        program.window("mainWindow", timeout=timeout)
        self.assertIsNone(program.process.poll(), "the program is still running")
        self.assertNotIn(("UpdateWindow", "*"), program.controls(), "nothing is offered")
        return program

    def test_replies_of_the_wrong_shape_are_ignored(self):
        bodies = {
            "array": "[" + OFFER + "]",
            "field-types": '{"version": 99, "url": ["http://127.0.0.1:9/setup.exe"], "updateInfo": "x"}',
            "deep-nesting": '{"version": 99, "x": ' + "[" * 5000 + "]" * 5000 + "}",
            "binary": "\u0000\u00ff{\"version\": 99",
        }
        for name, body in bodies.items():
            with self.subTest(name):
                self.server.reset()
                self.server.register(path=UPDATE, body=body)
                self.assert_starts_normally(f"hostile-{name}")
                self.desktop.stop_wine()

    def test_a_100_mib_reply_is_refused(self):
        # Valid JSON that offers an update, but far beyond any sensible reply.
        huge = self.desktop.dir / "huge-update.json"
        with open(huge, "wb") as out:
            out.write(OFFER[:-1].encode() + b', "padding": "')
            block = b"z" * (1 << 20)
            for _ in range(100):
                out.write(block)
            out.write(b'"}')
        try:
            self.server.register(path=UPDATE, file=str(huge))
            self.assert_starts_normally("hostile-huge")
        finally:
            huge.unlink()

    def test_a_redirect_loop_ends_after_a_bounded_number_of_requests(self):
        self.server.register(path=UPDATE, redirect=UPDATE)
        self.assert_starts_normally("hostile-loop")
        requests = len(self.server.requested(UPDATE))
        self.assertGreater(requests, 3)
        self.assertLessEqual(requests, 3 * 31, "three attempts of at most 30 redirects each")

    def test_a_server_trickling_one_byte_a_second_neither_holds_the_start_nor_offers_anything(self):
        self.server.register(path=UPDATE, body=OFFER, chunks=len(OFFER), delay=1.0)
        program = self.assert_starts_normally("hostile-trickle", timeout=60)
        # The check goes on beside the main window: three attempts, each cut off by its time limit.
        wait_for(lambda: len(self.server.requested(UPDATE)) >= 3, 150, interval=1.0, what="three attempts")
        time.sleep(35)  # the third attempt's limit, and a little more
        self.assertEqual(len(self.server.requested(UPDATE)), 3, "three attempts, each cut off by its time limit")
        self.assertIsNone(program.process.poll(), "the program is still running")
        self.assertNotIn(("UpdateWindow", "*"), program.controls(), "nothing is offered")


class SimultaneousStarts(WineTestCase):
    def test_ten_simultaneous_starts_leave_exactly_one_instance(self):
        programs = [Program(self.desktop, f"simultaneous-{i}", wait_for_window=None) for i in range(10)]
        wait_for(lambda: sum(p.process.poll() is not None for p in programs) >= 9, 180,
                 interval=0.5, what="nine of the ten to end")
        time.sleep(3)  # a late loser would still end here
        running = [p for p in programs if p.process.poll() is None]
        self.assertEqual(len(running), 1)
        self.assertEqual([p.process.returncode for p in programs if p not in running], [0] * 9)
        running[0].window("mainWindow", timeout=60)

if __name__ == "__main__":
    unittest.main(verbosity=2)
