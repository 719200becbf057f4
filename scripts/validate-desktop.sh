#!/bin/bash
# Checks the desktop metadata as menus and software centres will read it:
# the desktop entry with desktop-file-validate, the configured AppStream
# metainfo with appstreamcli, and then the installed tree as a whole, so that
# the metainfo's launchable finds its desktop file, every icon loads through
# gdk-pixbuf and `appstreamcli compose` makes a catalogue of the program
# (scripts/check-desktop-tree.sh).
#
# Usage: scripts/validate-desktop.sh BUILD_DIR
#   BUILD_DIR is a configured CMake build tree of the project (the metainfo is
#   generated there). Nothing needs to be built: only the "desktop" install
#   component is installed, into a temporary directory.
# Fails (non-zero) when any check reports an error or a warning.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
app_id=org.example.velunar

"$root/scripts/install-deps.sh" desktop

metainfo=$build/res/$app_id.metainfo.xml
if [[ ! -f $metainfo ]]; then
  echo "$metainfo is missing: configure the build tree first" >&2
  exit 2
fi

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

# shellcheck source=scripts/checks.sh
source "$root/scripts/checks.sh"

check desktop-file-validate "$root/res/$app_id.desktop"
check appstreamcli validate --no-net "$metainfo"

cmake --install "$build" --component desktop --prefix "$tree/usr" >/dev/null
check desktop-file-validate "$tree/usr/share/applications/$app_id.desktop"
check appstreamcli validate-tree --no-net "$tree"
check "$root/scripts/check-desktop-tree.sh" "$tree"

end_checks "desktop metadata"
