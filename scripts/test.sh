#!/usr/bin/env bash
# Builds and runs every test of Zintra on a fresh Debian 12 machine:
#   1. the native behaviour tests on the simulated platform, and the end-to-end
#      tests of the native Linux program on a virtual X display (label native_e2e),
#   2. the same tests under AddressSanitizer and UndefinedBehaviorSanitizer, and
#      a bounded run of each fuzz target from its seed corpus,
#   3. the end-to-end tests of the real zintra.exe under Wine on a virtual display.
# Before the builds, the layer check: every include runs down the layers
# (scripts/check_layers.py), and the unity build of the program alone that
# scripts/run.sh makes (scripts/build.sh program). Installs what it needs first (scripts/setup-deps.sh).
# Ends with one summary line.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"

bash scripts/setup-deps.sh >/dev/null

logs="$here/build/test-logs"
mkdir -p "$logs"
passed=0
failed=0
status=0

run_suite() {  # run_suite <name> <build target> [ctest args...]
  local name="$1" target="$2"
  shift 2
  echo "== $name"
  if ! scripts/build.sh "$target"; then
    echo "== $name: build failed"
    failed=$((failed + 1))
    status=1
    return
  fi
  if [ "$target" = windows ]; then
    rm -rf "$here/build/windows/e2e"  # a fresh Wine prefix for every run
  fi
  set +e
  ctest --test-dir "build/$target" --output-on-failure "$@" 2>&1 | tee "$logs/$name.log"
  local code="${PIPESTATUS[0]}"
  set -e
  local line
  line="$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$logs/$name.log" | tail -1 || true)"
  if [ -n "$line" ]; then
    local total bad
    total="$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")"
    bad="$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")"
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  elif [ "$code" -ne 0 ]; then
    failed=$((failed + 1))
  fi
  [ "$code" -eq 0 ] || status=1
}

run_layer_check() {  # counted as one test: a wrong include fails it
  echo "== layer check"
  if python3 scripts/check_layers.py 2>&1 | tee "$logs/layer-check.log"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    status=1
  fi
}

run_program_build() {  # counted as one test: scripts/run.sh's unity build must compile
  echo "== program build (scripts/run.sh)"
  if ZINTRA_BUILD_TARGETS="zintra x11_click_target x11_close_window" scripts/build.sh program \
      >"$logs/program-build.log" 2>&1; then
    passed=$((passed + 1))
  else
    tail -40 "$logs/program-build.log"
    failed=$((failed + 1))
    status=1
  fi
}

run_fuzzers() {  # each fuzz target for a bounded time, on a scratch copy of its corpus
  local seconds="${ZINTRA_FUZZ_SECONDS:-20}" fuzzer name corpus
  for fuzzer in build/sanitize/tests/zintra_fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name="${fuzzer##*/zintra_fuzz_}"
    corpus="$(mktemp -d)"
    cp -r "tests/fuzz/corpus/$name/." "$corpus/" 2>/dev/null || true
    echo "== fuzz $name (${seconds} s)"
    if (cd "$corpus" && "$here/$fuzzer" "$corpus" -max_total_time="$seconds" -print_final_stats=0 \
          >"$logs/fuzz-$name.log" 2>&1); then
      passed=$((passed + 1))
      grep -E '^Done' "$logs/fuzz-$name.log" || true
    else
      failed=$((failed + 1))
      status=1
      tail -40 "$logs/fuzz-$name.log"
      # The failing input, kept beside the logs and printed so a run elsewhere can be reproduced.
      for artifact in "$corpus"/crash-* "$corpus"/leak-* "$corpus"/timeout-* "$corpus"/oom-*; do
        [ -f "$artifact" ] || continue
        cp "$artifact" "$logs/fuzz-$name-${artifact##*/}"
        echo "== failing input ${artifact##*/} ($(stat -c %s "$artifact") bytes, first 64 KiB as base64):"
        head -c 65536 "$artifact" | base64 -w 0
        echo
      done
    fi
    rm -rf "$corpus"
  done
}

run_layer_check
# Two helpers of one library with the same file-local name break only the
# unity build of scripts/run.sh, which the suites below never compile.
run_program_build
# The native suites drive real compositors and desktop services: an end-to-end
# test that fails is run once more before it counts as failed.
run_suite native native -j "$(nproc)" --repeat until-pass:2
run_suite sanitize sanitize -j "$(nproc)" --repeat until-pass:2
run_fuzzers
run_suite windows windows

echo "${passed} passed, ${failed} failed"
exit "$status"
