#!/usr/bin/env bash
# Builds one target into build/<target>:
#   native    the tests on the simulated platform
#   program   the native program alone for scripts/run.sh (build/program): a
#             unity build (each library's sources compiled a few at a time in
#             one unit, so the headers are parsed once per unit) at -O1 without
#             debug information, made to compile a fresh clone quickly
#   sanitize  the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   windows   zintra.exe and the end-to-end test helpers, cross-built with MinGW-w64
#   release   zintra.exe to publish (build/release): as windows, but configuring
#             fails unless -DZINTRA_UPDATE_KEYS=... names the update signing key(s)
#   deb       the native build, then the Debian package build/native/deb/zintra_<version>_amd64.deb
# Run scripts/setup-deps.sh once first (scripts/test.sh and scripts/run.sh do).
# ZINTRA_BUILD_TARGETS (blank-separated) builds only those targets.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:?usage: build.sh native|program|sanitize|windows|release|deb}"
shift
jobs="$(nproc)"
common=(-G Ninja -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
case "$target" in
  native)
    cmake -S "$here" -B "$here/build/native" "${common[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null ;;
  program)
    cmake -S "$here" -B "$here/build/program" "${common[@]}" -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON \
      -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" "$@" >/dev/null ;;
  sanitize)
    CC=clang CXX=clang++ cmake -S "$here" -B "$here/build/sanitize" "${common[@]}" -DCMAKE_BUILD_TYPE=Debug \
      -DZINTRA_SANITIZE=ON -DZINTRA_FUZZ=ON "$@" >/dev/null ;;
  deb)
    "$here/scripts/build.sh" native "$@"
    exec cmake --build "$here/build/native" --target deb ;;
  windows|release)
    prefix="$(bash "$here/scripts/setup-deps.sh")"
    release=OFF
    if [ "$target" = release ]; then release=ON; fi
    cmake -S "$here" -B "$here/build/$target" "${common[@]}" -DCMAKE_BUILD_TYPE=MinSizeRel \
      -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" -DZINTRA_MINGW_PREFIX="$prefix" \
      -DZINTRA_RELEASE="$release" "$@" >/dev/null ;;
  *) echo "build.sh: unknown target $target" >&2; exit 2 ;;
esac
targets=()
for name in ${ZINTRA_BUILD_TARGETS:-}; do targets+=(--target "$name"); done
cmake --build "$here/build/$target" -j "$jobs" "${targets[@]}"
