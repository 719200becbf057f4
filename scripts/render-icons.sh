#!/bin/bash
# Renders the program's icon at every bitmap size from its one source,
# res/icons/velunar.svg, into res/icons/<size>-apps-velunar.png: the sizes
# desktop menus, panels and software centres ask the hicolor theme for.
# Run it after changing the SVG and commit the PNGs with it.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
icons=$root/res/icons

"$root/scripts/install-deps.sh" icons

for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --format png \
    --output "$icons/$size-apps-velunar.png" "$icons/velunar.svg"
  echo "$icons/$size-apps-velunar.png"
done
