#!/usr/bin/env bash
# Builds zintra.exe and runs it under Wine. On a machine with a desktop the
# program simply starts there. Without one, it starts a virtual display, runs
# the program in it, shows it at work, saves a screenshot and says where.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
bash scripts/setup-deps.sh >/dev/null
scripts/build.sh windows
exe="$here/build/windows/app/zintra.exe"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec wine "$exe" "$@"
fi
ZINTRA_EXE="$exe" ZINTRA_CLICK_TARGET="$here/build/windows/tests/e2e/click_target.exe" \
  ZINTRA_E2E_DIR="$here/build/run" python3 "$here/tests/e2e/show_program.py"
