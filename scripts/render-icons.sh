#!/bin/bash
# Renders the program's icon at every bitmap size from its one source,
# res/icons/velunar.svg, into res/icons/<size>-apps-velunar.png.
# Run it after changing the SVG and commit the PNGs with it.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
icons=$root/res/icons

if ! command -v rsvg-convert >/dev/null; then
  apt-get install -y librsvg2-bin || { apt-get update && apt-get install -y librsvg2-bin; }
fi

for size in 16 32 48; do
  rsvg-convert --width "$size" --height "$size" --format png \
    --output "$icons/$size-apps-velunar.png" "$icons/velunar.svg"
  echo "$icons/$size-apps-velunar.png"
done
