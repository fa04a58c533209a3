"""Shows the native zintra at work on a virtual display for someone without a
desktop: starts it, photographs its main window, presses its start/stop hotkey
over a plain X11 window, and reports what was clicked."""

import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from native_harness import NativeDesktop, NativeProgram, X11ClickTarget, summary  # noqa: E402


def main():
    desktop = NativeDesktop("demo")
    try:
        target = X11ClickTarget(desktop, name="demo-clicks", rect=(0, 0, 400, 400))
        program = NativeProgram(desktop, "demo")
        shot = program.photograph("mainWindow", "zintra.png")
        desktop.move_pointer(*target.centre())
        target.focus()
        desktop.xdotool("key", "F8")
        time.sleep(2)
        desktop.xdotool("key", "F8")
        time.sleep(0.5)
        downs = target.downs()
        rate, median, _ = summary([t for t, *_ in downs])
        print(f"The native zintra ran on virtual display {desktop.display.name}.")
        print(f"F8 started it: {len(downs)} clicks on a plain X11 window in about 2 s "
              f"({rate:.1f} per second, median period {median:.0f} ms); F8 again stopped it.")
        print(f"Screenshot of its main window: {shot}")
    finally:
        desktop.close()


if __name__ == "__main__":
    main()
