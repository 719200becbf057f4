#!/usr/bin/env bash
# Builds the Debian package of the program the way Debian builds its own:
# a release build with the flags dpkg-buildflags gives (PIE, full RELRO with
# BIND_NOW, the stack protector and stack-clash protection, FORTIFY_SOURCE=2),
# stripped, with the manual pages and changelogs, packed by CPack.
#
# Usage: scripts/package.sh [BUILD_DIR]   (default: build-deb at the top of
#   the tree). Prints one line per step, with the build's progress; the
#   output of apt, CMake, ninja and CPack goes to BUILD_DIR/package.log,
#   whose end is shown when a step fails. Prints the path of
#   velunar_<version>_<arch>.deb last.
# Install it system-wide with: sudo apt-get install ./velunar_*.deb
# Check it with scripts/check-package.sh, which installs its own tools.
# Run as root in another user's clone, it installs packages as root and
# builds and packs as that user (scripts/quiet.sh).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$top/build-deb}")
# shellcheck source=scripts/quiet.sh
source "$top/scripts/quiet.sh"

quiet_begin package "$build"
# Prints its own line when it installs anything; apt's output goes to the log.
"$top/scripts/install-deps.sh" build package

# hardening=+all adds BIND_NOW to Debian's defaults. The preprocessor's
# flags (FORTIFY_SOURCE) go with the compiler's: CMake has no CPPFLAGS.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

# Build type None: Debian's flags alone decide optimisation and debug
# information, as in Debian's own CMake builds.
quiet_step "Configuring the build with Debian's hardening flags in $build" \
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DVELUNAR_BUILD_TESTS=OFF
quiet_build "Building the program and its manual pages" cmake --build "$build"
"${as_owner[@]}" rm -f "$build"/velunar_*.deb
quiet_step "Packing it with CPack" \
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$build"
ls "$build"/velunar_*.deb
