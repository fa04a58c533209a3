#!/usr/bin/env python3
"""The online services of the real Windows build, run under Wine.

Runs online_probe.exe against the loopback test server: one fetch, one
download with progress messages into the program's download folder over a
partial file it has no record of, and one
usage report that the server decrypts and checks. Uses the run's shared Wine
prefix and a display of its own (the download's progress window needs one).
"""

import json
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SERVERS = os.path.join(os.path.dirname(HERE), "servers")
sys.path.insert(0, SERVERS)
sys.path.insert(0, HERE)
from transfer_server import content  # noqa: E402  the bytes the server serves
from server_harness import TransferServer  # noqa: E402
from wine_harness import WineDesktop  # noqa: E402

DATE = "Mon, 04 Mar 2019 08:00:00 GMT"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def wine(probe, environment, *arguments):
    result = subprocess.run(["wine", probe] + list(arguments), env=environment, capture_output=True, timeout=60)
    return result.stdout.decode("latin-1").replace("\r\n", "\n")


def fields(output):
    """"NAME value" lines of the probe's output."""
    found = {}
    for line in output.splitlines():
        name, _, value = line.partition(" ")
        found.setdefault(name, value)
    return found


def unix_path(prefix, windows_path):
    drive, _, rest = windows_path.partition(":")
    return os.path.join(prefix, "drive_" + drive.lower(), rest.replace("\\", "/").lstrip("/"))


def main():
    probe = os.environ["ZINTRA_ONLINE_PROBE"]
    desktop = WineDesktop(640, 480)
    environment = desktop.env
    server = TransferServer()
    base = server.base
    try:
        check(fields(wine(probe, environment, "https")).get("HTTPS") == "1", "libcurl speaks https")

        reply = wine(probe, environment, "fetch", base + "/echo", "a=1&b=2")
        check(reply == "RESULT 1\nPOST\napplication/x-www-form-urlencoded\na=1&b=2",
              "fetch posts its body: " + repr(reply))

        # A partial file the program has no record of (no sidecar) may be anyone's:
        # it is downloaded again from the first byte, and the finished download's
        # record stays, so a later answer of 416 can be recognised as complete.
        temporary = fields(wine(probe, environment, "tempdir"))["TEMP"]
        size = 300000
        server.register(path="/dl/setup_wine.exe", size=size, chunks=6, delay=0.03, last_modified=DATE)
        partial = unix_path(str(desktop.prefix), temporary + "setup_wine.exe")
        os.makedirs(os.path.dirname(partial), exist_ok=True)
        with open(partial, "wb") as f:
            f.write(content(size)[:1000])
        if os.path.exists(partial + ".cfg"):  # a record left by an earlier run in the same prefix
            os.remove(partial + ".cfg")
        download = fields(wine(probe, environment, "download", base + "/dl/setup_wine.exe?x=1"))
        check(download.get("RESULT") == "1", "download completes")
        check(download.get("PATH") == temporary + "setup_wine.exe", "download path " + repr(download.get("PATH")))
        with open(partial, "rb") as f:
            check(f.read() == content(size), "downloaded bytes are the served file")
        check(os.path.exists(partial + ".cfg"), "sidecar kept for the finished download")
        progress = [int(p) for p in download.get("PROGRESS", "").split()]
        check(progress and progress == sorted(progress) and 1 <= progress[0] and progress[-1] == 100,
              "progress rises to 100: %r" % progress)
        log = server.log()
        ranges = [r["range"] for r in log["requests"] if r["method"] == "GET" and r["path"].startswith("/dl/")]
        check(len(ranges) == 1 and ranges[0] in (None, "bytes=0-"), "download starts from the first byte: %r" % ranges)

        report_environment = dict(environment, ZINTRA_REPORT_URL=base + "/data.html")
        report = fields(wine(probe, report_environment, "report", "1"))
        check(report.get("RESULT") == "1", "report delivered")
        log = server.log()
        check(len(log["reports"]) == 1, "one report arrived")
        if log["reports"]:
            verdict = log["reports"][0]
            check(verdict["problems"] == [], "report checks: %r" % verdict["problems"])
            document = json.loads(verdict["plaintext"])
            check(document["items"] == [{"procode": "self", "types": "1"}], "event 1")
            check(document["mac"] == report.get("MAC", ""), "adapter address as the program read it")
            check((document["channelcode"], document["version"]) == ("10001", "1.0.0.1"), "default identity")
            check(abs(document["createtime"] - time.time()) < 600, "createtime is now")
    finally:
        server.close()
        desktop.close()
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("online services under Wine: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
