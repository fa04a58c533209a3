#!/usr/bin/env python3
"""The native Linux zintra on Xvfb beside xdotool: clicks per second, median and
p99 period at 0.01 s and 0.1 s, counted by the plain X11 click target of the
native tests; and the CPU the program uses idle (started with -auto) beside a
bare X client (that click target, blocked in XNextEvent) over the same time.

Usage: bench/native_timing.py [--seconds 10] [--idle-seconds 60]
Needs the native build (scripts/build.sh native); bench/run builds it.
"""

import argparse
import os
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "native"))
sys.path.insert(0, str(Path(__file__).resolve().parent))
import benchlib  # noqa: E402
from native_harness import NativeDesktop, NativeProgram, X11ClickTarget, mouse_data, summary  # noqa: E402

INTERVALS = (0.01, 0.1)
NATIVE = ROOT / "build" / "native"


def configure():
    os.environ.setdefault("ZINTRA_NATIVE", str(NATIVE / "app" / "zintra"))
    os.environ.setdefault("ZINTRA_X11_CLICK_TARGET", str(NATIVE / "tests" / "native" / "x11_click_target"))
    os.environ.setdefault("ZINTRA_X11_CLOSE_WINDOW", str(NATIVE / "tests" / "native" / "x11_close_window"))
    os.environ.setdefault("ZINTRA_NATIVE_E2E_DIR", str(ROOT / "build" / "bench" / "native"))


def measure_zintra(desktop, interval, seconds):
    desktop.set_mouse_data(mouse_data(interval=interval))
    target = X11ClickTarget(desktop, name=f"bench-native-{interval}")
    NativeProgram(desktop, f"bench-native-{interval}")
    desktop.move_pointer(*target.centre())
    target.focus()
    desktop.xdotool("key", "F8")
    time.sleep(seconds)
    desktop.xdotool("key", "F8")
    time.sleep(0.5)
    times = [t for t, *_ in target.downs()]
    desktop.stop_all()
    return summary(times), len(times)


def measure_xdotool(desktop, interval, seconds):
    target = X11ClickTarget(desktop, name=f"bench-native-xdotool-{interval}")
    desktop.move_pointer(*target.centre())
    delay = int(round(interval * 1000))
    repeat = max(2, int(seconds / interval))
    subprocess.run(["xdotool", "click", "--repeat", str(repeat), "--delay", str(delay), "1"], env=desktop.env,
                   timeout=seconds * 10 + 30)
    time.sleep(0.5)
    times = [t for t, *_ in target.downs()]
    desktop.stop_all()
    return summary(times), len(times)


def idle_cpu(desktop, seconds, settle=5):
    """(zintra -auto, bare X client) CPU seconds over the same window."""
    target = X11ClickTarget(desktop, name="bench-native-idle")
    program = NativeProgram(desktop, "bench-native-idle", "-auto", wait_for_window=None)
    time.sleep(settle)  # start-up work is not idle cost
    if program.process.poll() is not None:
        raise RuntimeError("zintra -auto ended during the idle measurement")
    window = benchlib.CpuWindow(program=program.process.pid, server=target.process.pid)
    window.start()
    time.sleep(seconds)
    used = window.stop()
    desktop.stop_all()
    return used["program"], used["server"]


def run(seconds, idle_seconds, progress=None):
    """{'clicks': [(interval, clicker, clicks, rate, median, p99)], 'idle': (zintra, bare client)}."""
    configure()
    desktop = NativeDesktop("bench")
    try:
        rows = []
        for interval in INTERVALS:
            for name, measure in (("native zintra", measure_zintra), ("xdotool click", measure_xdotool)):
                if progress:
                    progress(f"native: clicks at {interval:g} s by {name}")
                (rate, median, p99), count = measure(desktop, interval, max(seconds, 30 * interval))
                rows.append((interval, name, count, rate, median, p99))
        idle = None
        if idle_seconds > 0:
            if progress:
                progress(f"native: zintra -auto idle for {idle_seconds:g} s beside a bare X client")
            idle = idle_cpu(desktop, idle_seconds)
        return {"clicks": rows, "idle": idle}
    finally:
        desktop.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--idle-seconds", type=float, default=60)
    options = parser.parse_args()
    result = run(options.seconds, options.idle_seconds, progress=lambda text: print(text, file=sys.stderr))
    for interval, name, count, rate, median, p99 in result["clicks"]:
        print(f"{interval:g} s  {name:14}  {count:5d} clicks  {rate:6.1f}/s  median {median:6.2f} ms  p99 {p99:6.2f} ms")
    if result["idle"] is not None:
        print(f"idle CPU s: zintra -auto {result['idle'][0]:.2f}, bare X client {result['idle'][1]:.2f}")


if __name__ == "__main__":
    main()
