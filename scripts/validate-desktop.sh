#!/bin/bash
# Checks the desktop metadata as menus and software centres will read it:
# the desktop entry with desktop-file-validate, the configured AppStream
# metainfo with appstreamcli, and then the installed tree as a whole, so that
# the metainfo's launchable finds its desktop file and the icons are in place.
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

need_packages=()
command -v desktop-file-validate >/dev/null || need_packages+=(desktop-file-utils)
command -v appstreamcli >/dev/null || need_packages+=(appstream)
if [[ ${#need_packages[@]} -gt 0 ]]; then
  apt-get install -y "${need_packages[@]}" ||
    { apt-get update && apt-get install -y "${need_packages[@]}"; }
fi

metainfo=$build/res/$app_id.metainfo.xml
if [[ ! -f $metainfo ]]; then
  echo "$metainfo is missing: configure the build tree first" >&2
  exit 2
fi

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

status=0
check() {
  echo "== $*"
  if ! "$@"; then
    echo "FAILED: $*" >&2
    status=1
  fi
}

check desktop-file-validate "$root/res/$app_id.desktop"
check appstreamcli validate --no-net "$metainfo"

cmake --install "$build" --component desktop --prefix "$tree" >/dev/null
check desktop-file-validate "$tree/share/applications/$app_id.desktop"
check appstreamcli validate-tree --no-net "$tree"
for icon in 16x16/apps/$app_id.png 32x32/apps/$app_id.png 48x48/apps/$app_id.png \
            scalable/apps/$app_id.svg; do
  check test -s "$tree/share/icons/hicolor/$icon"
done

if [[ $status -eq 0 ]]; then
  echo "desktop metadata: all checks passed"
fi
exit $status
