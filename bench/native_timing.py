#!/usr/bin/env python3
"""The native Linux zintra on Xvfb beside xdotool: clicks per second, median and
p99 period at 0.01 s and 0.1 s, counted by the plain X11 click target of the
native tests; the CPU the program uses idle (started with -auto) beside a
bare X client (that click target, blocked in XNextEvent) over the same time;
and start-up, launch to main window mapped, with the resident memory once
started, beside a bare Xlib window (bench/bare_x11_window.c) and a GTK 3
dialog (zenity --info), launched in turns on the same display.

Usage: bench/native_timing.py [--seconds 10] [--idle-seconds 60] [--launches 10]
Needs the native build (scripts/build.sh native); bench/run builds it.
"""

import argparse
import os
import statistics
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


def bare_window():
    """The bare Xlib window, compiled beside the bench's other output."""
    out = Path(os.environ["ZINTRA_NATIVE_E2E_DIR"]) / "bare_x11_window"
    source = Path(__file__).resolve().parent / "bare_x11_window.c"
    if not out.exists() or out.stat().st_mtime < source.stat().st_mtime:
        out.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cc", "-O2", "-o", str(out), str(source), "-lX11"], check=True)
    return out


def launch(desktop, watcher, command, settle=0):
    """(milliseconds from launch to its window mapped, resident KiB `settle` s later)."""
    watcher.forget()
    started = time.monotonic()
    process = desktop.start(*command, log_name="bench-startup.log")
    mapped = watcher.wait_for_window(process.pid)
    memory = None
    if settle:
        time.sleep(settle)
        memory = benchlib.rss_kib(process.pid)
    desktop.stop_all()
    return (mapped - started) * 1000, memory


def startup(desktop, launches, settle=2):
    """{program: (median ms, fastest ms, median resident MiB)} for zintra, the bare window and zenity."""
    programs = {
        "zintra": [os.environ["ZINTRA_NATIVE"]],
        "bare": [str(bare_window())],
        "zenity": ["zenity", "--info", "--text=Zintra"],
    }
    watcher = benchlib.MapWatcher(desktop.display.name)
    times = {name: [] for name in programs}
    memory = {name: [] for name in programs}
    try:
        for command in programs.values():
            launch(desktop, watcher, command)  # fills the caches; not counted
        for _ in range(launches):
            # In turns, so the machine's noise falls on all three alike.
            for name, command in programs.items():
                milliseconds, kib = launch(desktop, watcher, command, settle)
                times[name].append(milliseconds)
                memory[name].append(kib / 1024.0)
    finally:
        watcher.close()
    return {name: (statistics.median(times[name]), min(times[name]), statistics.median(memory[name]))
            for name in programs}


def run(seconds, idle_seconds, progress=None, launches=0):
    """{'clicks': [(interval, clicker, clicks, rate, median, p99)], 'idle': (zintra, bare client),
    'startup': {program: (median ms, fastest ms, MiB)} or None}."""
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
        started = None
        if launches > 0:
            if progress:
                progress(f"native: start-up, {launches} launches each of zintra, a bare window and zenity")
            started = startup(desktop, launches)
        return {"clicks": rows, "idle": idle, "startup": started}
    finally:
        desktop.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--idle-seconds", type=float, default=60)
    parser.add_argument("--launches", type=int, default=10)
    options = parser.parse_args()
    result = run(options.seconds, options.idle_seconds, progress=lambda text: print(text, file=sys.stderr),
                 launches=options.launches)
    for interval, name, count, rate, median, p99 in result["clicks"]:
        print(f"{interval:g} s  {name:14}  {count:5d} clicks  {rate:6.1f}/s  median {median:6.2f} ms  p99 {p99:6.2f} ms")
    if result["idle"] is not None:
        print(f"idle CPU s: zintra -auto {result['idle'][0]:.2f}, bare X client {result['idle'][1]:.2f}")
    for name, (median, fastest, mib) in (result["startup"] or {}).items():
        print(f"start-up {name:7}  median {median:6.1f} ms  fastest {fastest:6.1f} ms  resident {mib:5.1f} MiB")


if __name__ == "__main__":
    main()
