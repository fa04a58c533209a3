#!/usr/bin/env bash
# Builds and runs Zintra. By default the native Linux program (X11): on a
# machine with a desktop it simply starts there and clicks real applications.
# Without one, it starts a virtual display, runs the program in it, shows it
# clicking a plain X11 window, saves a screenshot and says where.
#   scripts/run.sh [--windows] [program arguments]
# --windows builds zintra.exe instead and runs it under Wine the same way.
# The native run installs and builds only what the program needs, and what its
# show needs when there is no desktop; --windows installs the rest (Wine, MinGW, NSIS, the cross-built libraries).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
platform=native
if [ "${1:-}" = --windows ]; then
  platform=windows
  shift
fi
# Whether the X display can be opened; asked through libX11 itself, which the
# build brings (xdpyinfo would bring Mesa with it).
has_display() {
  [ -n "${DISPLAY:-}" ] && python3 -c 'import ctypes, sys
x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
sys.exit(0 if x11.XOpenDisplay(None) else 1)' 2>/dev/null
}

if [ "$platform" = native ]; then
  bash scripts/setup-deps.sh --native
  # The program and the two helper windows of its show, not the tests, in a
  # build of their own made to compile quickly (build/program).
  ZINTRA_BUILD_TARGETS="zintra x11_click_target x11_close_window" scripts/build.sh program
  built="$here/build/program"
  program="$built/app/zintra"
  if has_display; then
    exec "$program" "$@"
  fi
  bash scripts/setup-deps.sh --show
  ZINTRA_NATIVE="$program" ZINTRA_X11_CLICK_TARGET="$built/tests/native/x11_click_target" \
    ZINTRA_X11_CLOSE_WINDOW="$built/tests/native/x11_close_window" \
    ZINTRA_NATIVE_E2E_DIR="$here/build/run" python3 "$here/tests/native/show_native.py"
  exit
fi

bash scripts/setup-deps.sh >/dev/null
scripts/build.sh windows
exe="$here/build/windows/app/zintra.exe"
if has_display; then
  exec wine "$exe" "$@"
fi
ZINTRA_EXE="$exe" ZINTRA_CLICK_TARGET="$here/build/windows/tests/e2e/click_target.exe" \
  ZINTRA_E2E_DIR="$here/build/run" python3 "$here/tests/e2e/show_program.py"
