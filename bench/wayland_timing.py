#!/usr/bin/env python3
"""The native zintra in a Wayland session (headless sway with Xwayland, run as
the unprivileged user of the Wayland tests): clicks per second, median and p99
period at 0.01 s and 0.1 s along both of its paths in the same session,
  - through the virtual pointer into a Wayland-native window
    (tests/wayland/wl_click_counter.c), beside the plainest virtual-pointer
    loop (bench/wl_virtual_clicks.c) into the same window;
  - through XTest into the X11 click target under Xwayland, beside
    `xdotool click` into the same window.
Each click is timed as it reaches the window (CLOCK_MONOTONIC on both sides).
Runs start and stop with `zintra --toggle`, as a desktop shortcut would.

Usage: bench/wayland_timing.py [--seconds 10]
Needs the native build (scripts/build.sh native); bench/run builds it. Prints
why and measures nothing when sway cannot run here.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests"))
sys.path.insert(0, str(Path(__file__).resolve().parent))
import native_timing  # noqa: E402
from harness.clicks import mouse_data, summary  # noqa: E402
from harness.native import NativeProgram, program_path  # noqa: E402
from harness.wayland import WL_COUNTER_TITLE, SwayDesktop, SwayX11ClickTarget, WaylandClickCounter  # noqa: E402

INTERVALS = (0.01, 0.1)
X11_RECT = (40, 100, 440, 400)
WL_RECT = (760, 100, 1160, 400)
PROGRAM_AT = (420, 460)
PROTOCOL = ROOT / "platform" / "wayland" / "protocols" / "wlr-virtual-pointer-unstable-v1.xml"
# Who clicks along which path, in the order measured at each interval.
CLICKERS = ("zintra virtual pointer", "wl_virtual_clicks", "zintra XTest", "xdotool click")


def configure():
    native_timing.configure()
    os.environ.setdefault("ZINTRA_WL_CLICK_COUNTER",
                          str(native_timing.NATIVE / "tests" / "native" / "wl_click_counter"))


def unavailable():
    """Why sway cannot run here, or None."""
    if os.geteuid() != 0:
        return "needs root: sway refuses root, so the bench makes the user zintra-wl and runs sway as that user"
    for command in ("sway", "Xwayland", "setpriv", "swaymsg", "xdotool", "wayland-scanner", "cc"):
        if shutil.which(command) is None:
            return f"{command} is not installed (scripts/setup-deps.sh --test)"
    for variable in ("ZINTRA_NATIVE", "ZINTRA_WL_CLICK_COUNTER", "ZINTRA_X11_CLICK_TARGET"):
        if not Path(os.environ[variable]).exists():
            return f"{os.environ[variable]} is not built (scripts/build.sh native)"
    return None


def peer_program():
    """bench/wl_virtual_clicks.c, compiled with the protocol's code beside the bench's other output."""
    out_dir = Path(os.environ["ZINTRA_NATIVE_E2E_DIR"])
    out = out_dir / "wl_virtual_clicks"
    source = Path(__file__).resolve().parent / "wl_virtual_clicks.c"
    if out.exists() and out.stat().st_mtime >= max(source.stat().st_mtime, PROTOCOL.stat().st_mtime):
        return out
    generated = out_dir / "wl-protocol"
    generated.mkdir(parents=True, exist_ok=True)
    header = generated / "wlr-virtual-pointer-unstable-v1-client-protocol.h"
    code = generated / "wlr-virtual-pointer-unstable-v1-protocol.c"
    subprocess.run(["wayland-scanner", "client-header", str(PROTOCOL), str(header)], check=True)
    subprocess.run(["wayland-scanner", "private-code", str(PROTOCOL), str(code)], check=True)
    subprocess.run(["cc", "-O2", "-I", str(generated), "-o", str(out), str(source), str(code), "-lwayland-client"],
                   check=True)
    return out


class Session:
    """One sway session for every measurement, so all four clickers share its load and its Xwayland."""

    def __init__(self):
        self.desktop = SwayDesktop("bench-wayland", {
            SwayX11ClickTarget.TITLE: X11_RECT[:2], WL_COUNTER_TITLE: WL_RECT[:2], "Zintra": PROGRAM_AT})
        self.peer = peer_program()

    def close(self):
        self.desktop.close()

    def _zintra(self, name, interval):
        desktop = self.desktop
        desktop.set_mouse_data(mouse_data(interval=interval))
        for path in (desktop.store_path.parent, desktop.store_path):
            os.chown(path, desktop.uid, desktop.gid)
        return NativeProgram(desktop, name)

    def _toggle(self, seconds):
        for _ in range(2):
            result = self.desktop.run(program_path(), "--toggle")
            if result.returncode != 0:
                raise RuntimeError(f"zintra --toggle: {result.stderr.decode().strip()}")
            time.sleep(seconds)
            seconds = 0.5  # after the stop: whatever was still on its way

    def zintra_virtual_pointer(self, interval, seconds):
        counter = WaylandClickCounter(self.desktop, WL_RECT, f"bench-wl-zintra-{interval}", timed=True)
        self._zintra(f"bench-wl-zintra-{interval}", interval)
        time.sleep(1.0)  # its virtual pointer gives the seat a pointer
        self.desktop.move_pointer(*counter.centre())
        time.sleep(0.2)
        self._toggle(seconds)
        return self._times(counter, "the Wayland window")

    def peer_virtual_pointer(self, interval, seconds):
        counter = WaylandClickCounter(self.desktop, WL_RECT, f"bench-wl-peer-{interval}", timed=True)
        count = max(2, int(seconds / interval))
        self.desktop.run(self.peer, count, int(round(interval * 1000)), *counter.centre(), timeout=seconds * 10 + 30)
        time.sleep(0.5)
        return self._times(counter, "the Wayland window")

    def zintra_xtest(self, interval, seconds):
        target = SwayX11ClickTarget(self.desktop, f"bench-x11-zintra-{interval}", rect=X11_RECT)
        self._zintra(f"bench-x11-zintra-{interval}", interval)
        time.sleep(1.0)
        # The compositor's pointer over the X11 window is what sends the clicks by XTest.
        self.desktop.move_pointer(*target.centre())
        time.sleep(0.2)
        self._toggle(seconds)
        return self._times(target, "the X11 window")

    def peer_xtest(self, interval, seconds):
        target = SwayX11ClickTarget(self.desktop, f"bench-x11-xdotool-{interval}", rect=X11_RECT)
        count = max(2, int(seconds / interval))
        # XTest motion moves Xwayland's own pointer, which is where its clicks land.
        self.desktop.run("xdotool", "mousemove", *target.centre(), "click", "--repeat", count, "--delay",
                         int(round(interval * 1000)), "1", timeout=seconds * 10 + 30)
        time.sleep(0.5)
        return self._times(target, "the X11 window")

    def _times(self, window, where):
        times = [t for t, *_ in window.downs()]
        self.desktop.stop_all()
        if len(times) < 2:
            # A path that lost its clicks must not pass for a slow one.
            raise RuntimeError(f"{len(times)} clicks reached {where}; see {self.desktop.dir}")
        return times


def run(seconds, progress=None):
    """{'skipped': reason} or {'clicks': [(interval, clicker, clicks, rate, median, p99)]}."""
    configure()
    reason = unavailable()
    if reason:
        return {"skipped": reason}
    try:
        session = Session()
    except Exception as error:  # noqa: BLE001 - any failure to bring sway up is a reason to skip, said as is
        return {"skipped": f"sway did not start: {error}"}
    try:
        measures = dict(zip(CLICKERS, (session.zintra_virtual_pointer, session.peer_virtual_pointer,
                                       session.zintra_xtest, session.peer_xtest)))
        rows = []
        for interval in INTERVALS:
            for name, measure in measures.items():
                if progress:
                    progress(f"wayland: clicks at {interval:g} s by {name}")
                times = measure(interval, max(seconds, 30 * interval))
                rows.append((interval, name, len(times), *summary(times)))
        return {"clicks": rows}
    finally:
        session.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=10)
    options = parser.parse_args()
    result = run(options.seconds, progress=lambda text: print(text, file=sys.stderr))
    if "skipped" in result:
        print(f"wayland: skipped: {result['skipped']}")
        return
    for interval, name, count, rate, median, p99 in result["clicks"]:
        print(f"{interval:g} s  {name:22}  {count:5d} clicks  {rate:6.1f}/s  median {median:6.2f} ms  "
              f"p99 {p99:6.2f} ms")


if __name__ == "__main__":
    main()
