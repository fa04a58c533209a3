"""The loopback transfer server (tests/servers/transfer_server.py) as the
end-to-end tests use it: one process per test class, files registered through
its control page, and its log of requests and decrypted usage reports."""

import base64
import json
import re
import subprocess
import sys
import urllib.request
from pathlib import Path

from wine_harness import WineTestCase

SERVER = Path(__file__).resolve().parent.parent / "servers" / "transfer_server.py"


def running_build():
    """The build number the program is built with: the last part of the
    version record's FILEVERSION (res/zintra.rc)."""
    text = (Path(__file__).resolve().parents[2] / "res" / "zintra.rc").read_text(encoding="utf-8")
    return int(re.search(r"^FILEVERSION\s+\d+,\s*\d+,\s*\d+,\s*(\d+)", text, re.M).group(1))


def sign(data, key):
    """base64 of an ECDSA / SHA-256 signature over data, as the release makes it."""
    der = subprocess.run(["openssl", "dgst", "-sha256", "-sign", str(key)], input=data, capture_output=True,
                         check=True).stdout
    return base64.b64encode(der).decode() + "\n"


class TransferServer:
    def __init__(self):
        self.process = subprocess.Popen([sys.executable, str(SERVER)], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        words = self.process.stdout.readline().split()
        self.base = f"http://127.0.0.1:{int(words[1])}"
        # A port that accepts connections and never answers them.
        self.silent_base = f"http://127.0.0.1:{int(words[2])}"

    def register(self, **settings):
        """Serves a file: path, size, body, file, redirect, chunks, delay, truncate_at, …"""
        request = urllib.request.Request(self.base + "/_control/file", data=json.dumps(settings).encode())
        urllib.request.urlopen(request, timeout=10).read()

    def describe(self, signing_key=None, **description):
        """Serves update.json with the given description and, with a signing
        key (a PEM file), update.json.sig beside it."""
        text = json.dumps(description, ensure_ascii=False)
        self.publish_description(text, sign(text.encode("utf-8"), signing_key) if signing_key else None)

    def publish_description(self, text, signature=None):
        """Serves update.json with exactly this text, and the signature text
        as update.json.sig when one is given."""
        self.register(path="/update/update.json", body=text)
        if signature is not None:
            self.register(path="/update/update.json.sig", body=signature)

    def log(self):
        return json.loads(urllib.request.urlopen(self.base + "/_control/log", timeout=10).read())

    def requested(self, path):
        return [r for r in self.log()["requests"] if r["path"] == path and r["method"] == "GET"]

    def events(self):
        """The event types of the usage reports received, each checked by the server."""
        found = []
        for verdict in self.log()["reports"]:
            assert verdict["problems"] == [], verdict["problems"]
            found.append(json.loads(verdict["plaintext"])["items"][0]["types"])
        return found

    def reset(self):
        urllib.request.urlopen(urllib.request.Request(self.base + "/_control/reset", data=b""), timeout=10).read()

    def close(self):
        self.process.stdin.close()
        self.process.wait(10)


class LoopbackServer:
    """Mixed into a test case with a desktop per class: a loopback server per
    class, which forgets every file and request before each test, and with
    `receives_reports` the program's usage reports."""

    receives_reports = False

    @classmethod
    def setUpClass(cls):
        cls.server = TransferServer()
        super().setUpClass()
        if cls.receives_reports:
            cls.desktop.env["ZINTRA_REPORT_URL"] = cls.server.base + "/data.html"

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        cls.server.close()

    def setUp(self):
        super().setUp()
        self.server.reset()


class ServerTestCase(LoopbackServer, WineTestCase):
    """A Wine desktop and a loopback server per class."""
