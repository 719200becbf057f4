#!/usr/bin/env bash
# Builds everything and runs, through CTest, the tests of the store, of the
# window (in-process, on Qt's offscreen platform) and of the application
# shell, and the check that the folders include one another only downwards
# (scripts/check-layers.sh). CI (.ci/run) runs more. Prints one
# line per step, with the build's progress, and CTest's summary; the output
# of apt, CMake, the compiler and the tests goes to build/test.log, whose end
# is shown when a step fails. Run as root in another user's clone, it
# installs packages as root and builds and tests as that user
# (scripts/quiet.sh).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/quiet.sh
source "$top/scripts/quiet.sh"

quiet_begin test
# Prints its own line when it installs anything; apt's output goes to the log.
"$top/scripts/install-deps.sh" build test
quiet_step "Configuring the build in $top/build" \
  cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELUNAR_BUILD_TESTS=ON
quiet_build "Building the program and its tests (a few minutes on a fresh tree)" \
  cmake --build "$top/build"
count=$("${as_owner[@]}" ctest --test-dir "$top/build" -N | sed -n 's/^Total Tests: //p')
quiet_step "Testing: ${count:-all} tests" ctest --test-dir "$top/build" --output-on-failure
# CTest's closing lines: how many passed and how long it took.
grep -E '^[0-9]+% tests passed|^Total Test time' "$VELUNAR_LOG" | tail -n 2
