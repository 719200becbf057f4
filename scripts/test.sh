#!/usr/bin/env bash
# Builds everything and runs every test: the store, the window (in-process,
# on Qt's offscreen platform) and the application shell. Prints one line per
# step and CTest's summary; the output of apt, CMake, the compiler and the
# tests goes to build/test.log, whose end is shown when a step fails.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/quiet.sh
source "$top/scripts/quiet.sh"

quiet_begin test
# Prints its own line when it installs anything; apt's output goes to the log.
"$top/scripts/install-deps.sh" build test
quiet_step "Configuring the build in $top/build" \
  cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELUNAR_BUILD_TESTS=ON
quiet_step "Building the program and its tests (a few minutes on a fresh tree)" \
  cmake --build "$top/build"
count=$(ctest --test-dir "$top/build" -N | sed -n 's/^Total Tests: //p')
quiet_step "Testing: ${count:-all} tests" ctest --test-dir "$top/build" --output-on-failure
# CTest's closing lines: how many passed and how long it took.
grep -E '^[0-9]+% tests passed|^Total Test time' "$VELUNAR_LOG" | tail -n 2
