"""Shows zintra.exe at work on a virtual display for someone without a desktop:
starts it, photographs its main window, presses its start/stop hotkey over a
click target, and reports what was clicked."""

import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from program_harness import Program  # noqa: E402
from wine_harness import ClickTarget, WineDesktop, summary  # noqa: E402


def main():
    desktop = WineDesktop()
    try:
        target = ClickTarget(desktop, name="demo-clicks", rect=(0, 0, 400, 400))
        program = Program(desktop, "demo")
        shot = program.photograph("mainWindow", "zintra.png")
        desktop.move_pointer(*target.centre())
        desktop.press_keys(target.window, "F8")
        time.sleep(2)
        desktop.press_keys(target.window, "F8")
        time.sleep(0.5)
        downs = target.downs()
        rate, median, _ = summary([t for t, *_ in downs])
        print(f"zintra.exe is running under Wine on display {desktop.display.name}.")
        print(f"F8 started it: {len(downs)} clicks at the pointer in about 2 s "
              f"({rate:.1f} per second, median period {median:.0f} ms); F8 again stopped it.")
        print(f"Screenshot of its main window: {shot}")
    finally:
        desktop.close()


if __name__ == "__main__":
    main()
