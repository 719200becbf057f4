#!/bin/bash
# Checks an installed tree the way desktops and software centres read it:
# every icon of the program loads through gdk-pixbuf (as GTK's icon lookup
# loads it, by sniffing the file's first bytes), each bitmap is as large as
# the directory it lies in says, and `appstreamcli compose` makes a catalogue
# of exactly one component, the program, with its icons.
#
# Usage: scripts/check-desktop-tree.sh ROOT
#   ROOT holds usr/share/... as the Debian package or `cmake --install
#   --prefix ROOT/usr` lays it out.
# Fails (non-zero) when an icon does not load, a bitmap has the wrong size,
# the composer reports an error or the catalogue is not that one component.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 ROOT" >&2
  exit 2
fi
root=$(cd "$1" && pwd)
app_id=org.example.velunar
icons=$root/usr/share/icons/hicolor
# Every size the program ships, and the scalable source.
sizes=(16 22 24 32 48 64 128 256)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
fail() {
  echo "FAILED: $*" >&2
  status=1
}

# The width and height a PNG file's header states.
png_size() {
  od -An -tu1 -j16 -N8 "$1" |
    awk '{ printf "%dx%d\n", $1 * 16777216 + $2 * 65536 + $3 * 256 + $4,
                             $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'
}

echo "== Icons through gdk-pixbuf"
files=()
for size in "${sizes[@]}"; do
  files+=("$icons/${size}x${size}/apps/$app_id.png")
done
files+=("$icons/scalable/apps/$app_id.svg")
for file in "${files[@]}"; do
  rel=${file#"$root"/}
  if [[ ! -s $file ]]; then
    fail "$rel is missing"
    continue
  fi
  dir_size=$(basename "$(dirname "$(dirname "$file")")")
  if [[ $dir_size != scalable && $(png_size "$file") != "$dir_size" ]]; then
    fail "$rel is $(png_size "$file") pixels, not $dir_size"
  fi
  # A copy without the extension: the loader must recognise the file by
  # its content alone, as it does for a stream from the icon theme.
  cp "$file" "$work/icon"
  rm -f "$work/out.png"
  request=${dir_size%%x*}
  [[ $request == scalable ]] && request=256
  if gdk-pixbuf-thumbnailer -s "$request" "$work/icon" "$work/out.png" 2>"$work/pixbuf.log" &&
    [[ -s $work/out.png ]]; then
    echo "loads: $rel ($(png_size "$work/out.png") at $request px)"
  else
    cat "$work/pixbuf.log" >&2
    fail "gdk-pixbuf cannot load $rel"
  fi
done

echo "== appstreamcli compose"
out=$work/compose
if ! appstreamcli compose --no-net --no-color --print-report=full --origin=velunar \
  --result-root="$out" --data-dir="$out/data" --icons-dir="$out/icons" \
  --hints-dir="$out/hints" "$root"; then
  fail "appstreamcli compose reported errors"
fi
catalogue=$out/data/velunar.xml.gz
if [[ ! -s $catalogue ]]; then
  fail "appstreamcli compose wrote no catalogue"
else
  zcat "$catalogue" >"$work/catalogue.xml"
  components=$(grep -c '<component[ >]' "$work/catalogue.xml" || true)
  if [[ $components -ne 1 ]]; then
    fail "the catalogue holds $components components, not 1"
  fi
  grep -q "<id>$app_id</id>" "$work/catalogue.xml" || fail "the catalogue does not hold $app_id"
  # Software centres show the cached icons at 64 and 128 px.
  for size in 64 128; do
    if ! grep -q "<icon type=\"cached\" width=\"$size\" height=\"$size\">$app_id.png</icon>" \
      "$work/catalogue.xml"; then
      fail "the catalogue has no cached ${size}x$size icon"
    elif [[ $(png_size "$out/icons/${size}x$size/$app_id.png" 2>/dev/null) != "${size}x$size" ]]; then
      fail "the composer stored no ${size}x$size icon"
    else
      echo "catalogue: one component, $app_id, with its ${size}x$size icon"
    fi
  done
fi

if [[ $status -eq 0 ]]; then
  echo "installed tree: icons and catalogue checked"
fi
exit $status
