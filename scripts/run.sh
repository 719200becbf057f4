#!/usr/bin/env bash
# Builds the program and starts it in the current directory, where it keeps
# its entry file velunar.txt.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/install-deps.sh" build
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELUNAR_BUILD_TESTS=OFF >/dev/null
cmake --build "$top/build" --target velunar
exec "$top/build/app/velunar"
