#!/usr/bin/env bash
# Builds the Debian package of the program the way Debian builds its own:
# a release build with the flags dpkg-buildflags gives (PIE, full RELRO with
# BIND_NOW, the stack protector and stack-clash protection, FORTIFY_SOURCE=2),
# stripped, with the manual pages and changelogs, packed by CPack.
#
# Usage: scripts/package.sh [BUILD_DIR]   (default: build-deb at the top of
#   the tree). Prints the path of velunar_<version>_<arch>.deb last.
# Install it system-wide with: sudo apt-get install ./velunar_*.deb
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$top/build-deb}")

"$top/scripts/install-deps.sh" build package

# hardening=+all adds BIND_NOW to Debian's defaults. The preprocessor's
# flags (FORTIFY_SOURCE) go with the compiler's: CMake has no CPPFLAGS.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

# Build type None: Debian's flags alone decide optimisation and debug
# information, as in Debian's own CMake builds.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DVELUNAR_BUILD_TESTS=OFF >/dev/null
cmake --build "$build"
rm -f "$build"/velunar_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/velunar_*.deb
