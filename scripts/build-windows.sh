#!/usr/bin/env bash
# Cross-compiles for 64-bit Windows, with mingw-w64, into build-win/: the
# program, build-win/app/velunar.exe (statically linked, with its icon,
# version block and manifest); its packages beside it, the portable
# build-win/velunar-VERSION-win64.zip (velunar.exe, README.txt, LICENSE.txt)
# and the installer build-win/velunar-VERSION-setup.exe (NSIS,
# packaging/windows/); the test programs of the entry store and of the
# dialog services; and the benchmark programs (store_bench, window_bench).
# Prints one line per step, with the build's progress; the
# output of apt, CMake and the compiler goes to build-win/build.log, whose
# end is shown when a step fails. scripts/test-windows.sh runs the tests and,
# briefly, the benchmarks.
#
#   scripts/build-windows.sh [TARGET...]   (every target when none is named)
#
# Run as root in another user's clone, it installs packages as root and
# builds as that user (scripts/quiet.sh).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$top/build-win
# shellcheck source=scripts/quiet.sh
source "$top/scripts/quiet.sh"

# What the Windows build holds: the program, its packages and the tests are
# all targets of the one build.
options=(
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake"
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
  -DVELUNAR_BUILD_UI=ON
  -DVELUNAR_BUILD_TESTS=ON
  # Built every time, so that they keep building; test-windows.sh runs them
  # briefly.
  -DVELUNAR_BUILD_BENCH=ON
)
targets=()
for target in "$@"; do targets+=(--target "$target"); done

quiet_begin build "$build"
# Prints its own line when it installs anything; apt's output goes to the log.
"$top/scripts/install-deps.sh" windows
quiet_step "Configuring the Windows build in $build" \
  cmake -S "$top" -B "$build" -G Ninja "${options[@]}"
quiet_build "Building velunar.exe, its packages, tests and benchmarks for Windows (a few minutes on a fresh tree)" \
  cmake --build "$build" "${targets[@]}"
