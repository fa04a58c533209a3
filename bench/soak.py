#!/usr/bin/env python3
"""Click soak: zintra.exe clicks at 0.01 s under Wine + Xvfb for a long time
while its memory and handle counts are sampled; fails when they grow.

Every --sample-seconds it records, from Linux, the Wine process's VmRSS, open
file descriptors and threads (/proc), and from Windows, through
build/bench/process_stats.exe in the same prefix, the working set, pagefile
(committed) bytes, the handle count and the GDI/USER object counts, wherever
Wine provides them. The clicks go to the tests' click target, so the soak also
shows the click rate holding. At the end it compares the average of the last
third of the samples with the first third: a metric that grew beyond the
tolerance fails the soak (exit status 1); clicks that stopped fail it too.

Usage: bench/soak.py [--minutes 10] [--sample-seconds 10] [--tolerance 0.1] [--no-build]
Runs in the bench's own Wine prefix (build/bench), never the tests' one.
"""

import argparse
import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import benchlib  # noqa: E402
import click_timing  # noqa: E402
from wine_harness import ClickTarget, WineDesktop  # noqa: E402

MIB = 1024 * 1024

# name, heading, unit scale, absolute slack (growth below this is never a leak)
METRICS = [
    ("rss", "VmRSS MiB", 1 / 1024, 2.0),
    ("fds", "fds", 1, 2),
    ("threads", "threads", 1, 1),
    ("working_set", "WS MiB", 1 / MIB, 2.0),
    ("pagefile", "commit MiB", 1 / MIB, 2.0),
    ("handles", "handles", 1, 2),
    ("gdi", "GDI", 1, 2),
    ("user", "USER", 1, 2),
]


def windows_view(desktop):
    """The probe's figures for zintra.exe; None for what Wine does not report."""
    result = desktop.run(benchlib.helper("process_stats.exe"), "zintra.exe", timeout=60)
    words = result.stdout.decode("latin-1").split()
    found = dict(zip(words[0::2], words[1::2]))

    def value(name):
        text = found.get(name)
        if text is None or int(text) < 0:
            return None
        return int(text)

    # GetProcessHandleCount is a stub returning 0 in Wine 8; the system handle table is not.
    handles = value("HANDLES") or value("SYSHANDLES")
    # GetGuiResources fails in Wine 8 (not implemented); -1 comes back as None.
    return {"working_set": value("WORKINGSET"), "pagefile": value("PAGEFILE"), "handles": handles,
            "gdi": value("GDI"), "user": value("USER")}


def sample(desktop, pid, target, started):
    row = {"t": time.monotonic() - started, "clicks": len(target.downs()), "cpu": benchlib.cpu_seconds(pid),
           "rss": benchlib.rss_kib(pid), "fds": benchlib.open_fds(pid), "threads": benchlib.thread_count(pid)}
    row.update(windows_view(desktop))
    return row


def cell(value, scale, width):
    if value is None:
        return "n/a".rjust(width)
    scaled = value * scale
    return (f"{scaled:.1f}" if isinstance(scaled, float) else str(scaled)).rjust(width)


def print_samples(samples):
    headings = ["t s", "clicks/s", "CPU s"] + [heading for _, heading, _, _ in METRICS]
    print("  ".join(h.rjust(10) for h in headings))
    previous = None
    for row in samples:
        rate = None
        if previous is not None and row["t"] > previous["t"]:
            rate = (row["clicks"] - previous["clicks"]) / (row["t"] - previous["t"])
        cells = [f"{row['t']:.0f}".rjust(10), cell(rate, 1, 10), cell(row["cpu"], 1.0, 10)]
        cells += [cell(row[name], scale, 10) for name, _, scale, _ in METRICS]
        print("  ".join(cells))
        previous = row


def verdict(samples, tolerance):
    """[(metric, first third average, last third average, grew)] for each metric with figures."""
    third = max(1, len(samples) // 3)
    results = []
    for name, heading, scale, slack in METRICS:
        values = [row[name] * scale for row in samples if row[name] is not None]
        if len(values) < len(samples) or not values:
            continue
        first = sum(values[:third]) / third
        last = sum(values[-third:]) / third
        grew = last > first * (1 + tolerance) + slack
        results.append((heading, first, last, grew))
    return results


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--minutes", type=float, default=10.0)
    parser.add_argument("--sample-seconds", type=float, default=10.0)
    parser.add_argument("--tolerance", type=float, default=0.10, help="relative growth allowed (plus a small "
                        "absolute slack per metric)")
    parser.add_argument("--no-build", action="store_true")
    args = parser.parse_args()

    benchlib.install_missing_commands()
    benchlib.configure_environment()
    if not args.no_build:
        benchlib.build_windows()
    benchlib.build_helpers()

    desktop = WineDesktop()
    samples = []
    try:
        desktop.set_mouse_data(click_timing.mouse_data(0.01))
        target = ClickTarget(desktop, name="soak")
        exe = os.environ["ZINTRA_EXE"]
        process = desktop.start(exe)
        pid = process.pid if process.pid in benchlib.wine_pids("zintra.exe", desktop.prefix) else \
            benchlib.wine_pid("zintra.exe", desktop.prefix)
        time.sleep(2)  # the hotkey is registered at start
        desktop.move_pointer(*target.centre())
        desktop.press_keys(target.window, "F8")
        started = time.monotonic()
        end = started + args.minutes * 60
        print(f"soak: clicking at 0.01 s for {args.minutes:g} min, a sample every {args.sample_seconds:g} s",
              file=sys.stderr, flush=True)
        next_sample = started + min(args.sample_seconds, 5.0)  # the first once clicking has settled
        while next_sample <= end:
            time.sleep(max(0.0, next_sample - time.monotonic()))
            if process.poll() is not None:
                raise RuntimeError(f"zintra.exe ended during the soak (exit {process.returncode})")
            samples.append(sample(desktop, pid, target, started))
            next_sample += args.sample_seconds
        desktop.press_keys(target.window, "F8")
    finally:
        desktop.close()

    print_samples(samples)
    if len(samples) < 3:
        print("soak: too few samples for a verdict; run longer")
        return 2
    results = verdict(samples, args.tolerance)
    print()
    print(f"{'metric':<12} {'first third':>12} {'last third':>12}  verdict")
    for heading, first, last, grew in results:
        print(f"{heading:<12} {first:>12.1f} {last:>12.1f}  {'GREW' if grew else 'flat'}")
    missing = [heading for name, heading, _, _ in METRICS if heading not in {r[0] for r in results}]
    if missing:
        print(f"(not reported under this Wine: {', '.join(missing)})")
    clicks = samples[-1]["clicks"] - samples[0]["clicks"]
    seconds = samples[-1]["t"] - samples[0]["t"]
    rate = clicks / seconds if seconds > 0 else 0.0
    last_rate = (samples[-1]["clicks"] - samples[-2]["clicks"]) / (samples[-1]["t"] - samples[-2]["t"])
    print(f"clicks: {samples[-1]['clicks']} in all, {rate:.1f}/s between the first and last sample, "
          f"{last_rate:.1f}/s at the end")
    failed = [heading for heading, _, _, grew in results if grew]
    if last_rate < 1.0:
        failed.append("clicking stopped")
    print("soak: " + ("GREW: " + ", ".join(failed) if failed else "flat"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
