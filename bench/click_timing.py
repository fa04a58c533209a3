#!/usr/bin/env python3
"""Click timing of the real zintra.exe under Wine + Xvfb, beside xdotool as a peer.

For each interval, zintra.exe clicks for a few seconds over the tests' click-target
window, which timestamps every button message; xdotool then clicks with the same
delay over the same window. Prints clicks per second and the median and 99th
percentile period, beside the ideal the 10 ms timer floor allows. Not a test: the
numbers depend on the machine and its load. bench/run uses the same functions.

Usage: bench/click_timing.py [--seconds S] [--min-clicks N] [--intervals 0.01,0.1]
Builds zintra.exe first when it is missing (scripts/build.sh windows); runs in
the bench's own Wine prefix (build/bench), never the tests' one.
"""

import argparse
import os
import struct
import subprocess
import sys
import time
from pathlib import Path

root = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(root / "tests" / "e2e"))
from wine_harness import ClickTarget, WineDesktop, summary  # noqa: E402

# The clicker's timer never fires faster than every 10 ms.
TIMER_FLOOR = 0.01


def mouse_data(interval):
    record = bytearray(424)
    struct.pack_into("<ifIIi", record, 8, 0, interval, 0x77, 0, 1)
    return bytes(record)


def ideal(interval):
    """Clicks per second and period in ms a perfect clicker reaches at this interval."""
    period = max(interval, TIMER_FLOOR)
    return 1.0 / period, period * 1000.0


def duration(interval, seconds, min_clicks):
    """Long enough for min_clicks clicks even at the slow intervals."""
    return max(seconds, min_clicks * interval)


def measure_zintra(desktop, interval, seconds):
    desktop.set_mouse_data(mouse_data(interval))
    target = ClickTarget(desktop, name=f"bench-zintra-{interval}")
    desktop.start(os.environ["ZINTRA_EXE"])
    time.sleep(2)
    desktop.move_pointer(*target.centre())
    desktop.press_keys(target.window, "F8")
    time.sleep(seconds)
    desktop.press_keys(target.window, "F8")
    time.sleep(0.5)
    times = [t for t, *_ in target.downs()]
    desktop.stop_wine()
    return summary(times), len(times)


def measure_xdotool(desktop, interval, seconds):
    target = ClickTarget(desktop, name=f"bench-xdotool-{interval}")
    desktop.move_pointer(*target.centre())
    delay = int(round(interval * 1000))
    repeat = max(2, int(seconds / interval))
    subprocess.run(["xdotool", "click", "--repeat", str(repeat), "--delay", str(delay), "1"], env=desktop.env,
                   timeout=seconds * 10 + 30)
    time.sleep(0.5)
    times = [t for t, *_ in target.downs()]
    desktop.stop_wine()
    return summary(times), len(times)


CLICKERS = (("zintra.exe", measure_zintra), ("xdotool click", measure_xdotool))


def run(desktop, intervals, seconds, min_clicks=30, progress=None):
    """[(interval, clicker, clicks, per second, median ms, p99 ms)] for each interval and clicker."""
    rows = []
    for interval in intervals:
        for name, measure in CLICKERS:
            if progress:
                progress(f"clicks at {interval:g} s by {name}")
            (rate, median, p99), count = measure(desktop, interval, duration(interval, seconds, min_clicks))
            rows.append((interval, name, count, rate, median, p99))
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=5.0, help="clicking time per interval and clicker")
    parser.add_argument("--min-clicks", type=int, default=10, help="click at least this many periods")
    parser.add_argument("--intervals", default="0.01,0.1")
    args = parser.parse_args()

    build = root / "build" / "windows"
    exe = build / "app" / "zintra.exe"
    if not exe.exists():
        subprocess.run(["flock", "/tmp/zintra-windows-build.lock", str(root / "scripts" / "build.sh"), "windows"],
                       check=True)
    os.environ.setdefault("ZINTRA_EXE", str(exe))
    os.environ.setdefault("ZINTRA_CLICK_TARGET", str(build / "tests" / "e2e" / "click_target.exe"))
    # Wine wants an absolute prefix path.
    os.environ["ZINTRA_E2E_DIR"] = str(Path(os.environ.get("ZINTRA_E2E_DIR", root / "build" / "bench")).resolve())

    desktop = WineDesktop()
    try:
        rows = run(desktop, [float(v) for v in args.intervals.split(",")], args.seconds, args.min_clicks)
    finally:
        desktop.close()

    print(f"{'interval':>8}  {'clicker':<14} {'clicks':>6} {'per s':>7} {'median ms':>10} {'p99 ms':>8}")
    for interval, name, count, rate, median, p99 in rows:
        print(f"{interval:>6g} s  {name:<14} {count:>6} {rate:>7.1f} {median:>10.1f} {p99:>8.1f}")
        if name == CLICKERS[-1][0]:
            ideal_rate, ideal_period = ideal(interval)
            print(f"{interval:>6g} s  {'ideal':<14} {'':>6} {ideal_rate:>7.1f} {ideal_period:>10.1f}"
                  f" {ideal_period:>8.1f}")
    print("(ideal: what the 10 ms timer floor allows, min(100, 1/interval) clicks per second)")


if __name__ == "__main__":
    main()
