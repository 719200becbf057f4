#!/usr/bin/env bash
# Builds the program and starts it in the current directory, where it keeps
# its entry file velunar.txt. Prints one line per step, with the build's
# progress; the output of apt, CMake and the compiler goes to build/run.log.
# Run as root in another user's clone, it installs packages as root and
# builds and starts the program as that user (scripts/quiet.sh).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/quiet.sh
source "$top/scripts/quiet.sh"

quiet_begin run
# Prints its own line when it installs anything; apt's output goes to the log.
"$top/scripts/install-deps.sh" build
quiet_step "Configuring the build in $top/build" \
  cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELUNAR_BUILD_TESTS=OFF
quiet_build "Building the program" cmake --build "$top/build" --target velunar
echo "Starting $top/build/app/velunar; the entries are in $PWD/velunar.txt"
exec "${as_owner[@]}" "$top/build/app/velunar"
