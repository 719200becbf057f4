#!/usr/bin/env bash
# Builds everything and runs every test: the store, the window (in-process,
# on Qt's offscreen platform) and the application shell.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/install-deps.sh" build test
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELUNAR_BUILD_TESTS=ON
cmake --build "$top/build"
ctest --test-dir "$top/build" --output-on-failure
