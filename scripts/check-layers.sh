#!/usr/bin/env bash
# Checks that the tree reads as layers: app -> ui (the program's windows) ->
# ui/platform (the dialog services, declared in the program's terms) with
# one implementation per toolkit below it (ui/platform/qt/, win32/), and
# store/ below ui, knowing no toolkit and nothing above it, in four floors
# of its own; res/ is data that includes nothing of the code. Only a
# toolkit's own folder includes that toolkit. Also that no two parts
# include each other, at any distance: a part is a .h with its .cpp.
#
#   scripts/check-layers.sh [SOURCE_DIR]
#
# Prints every include that runs the wrong way and every cycle; exits 1 when
# there is one.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

status=0
complain() {
  echo "check-layers: $*" >&2
  status=1
}

# What each folder's files may include of the project, as folder prefixes.
# The store is four floors, each including only those below it: text/
# (the code page and the text rules), fast/ (buffers, vector scans, the
# sort), file/ (the entry file) and lists/. The store may include the texts
# of res/texts/, which are data.
allowed_for() {
  case "$1" in
    store/text/*) echo "store/text/ res/texts/" ;;
    store/fast/*) echo "store/fast/ store/text/" ;;
    store/file/*) echo "store/file/ store/fast/ store/text/" ;;
    store/lists/*) echo "store/lists/ store/file/ store/fast/ store/text/" ;;
    store/*) echo "" ;;
    ui/platform/*) echo "ui/platform/ store/ res/" ;;
    ui/*) echo "ui/ store/ res/" ;;
    res/*) echo "res/" ;;
    app/*) echo "app/ ui/ store/ res/" ;;
  esac
}

# What a file may not include although its floor allows it: the pieces of
# one operating system or toolkit (store/file/posix/, store/file/win32/,
# ui/platform/qt/, ui/platform/win32/) are the business of the other pieces
# of that system; everything else knows them only through the headers
# above them.
os_pieces="store/file/posix/ store/file/win32/"
toolkit_pieces="ui/platform/qt/ ui/platform/win32/"
forbidden_for() {
  case "$1" in
    store/file/posix/*) echo "store/file/win32/" ;;
    store/file/win32/*) echo "store/file/posix/" ;;
    ui/platform/qt/*) echo "$os_pieces ui/platform/win32/" ;;
    ui/platform/win32/*) echo "$os_pieces ui/platform/qt/" ;;
    *) echo "$os_pieces $toolkit_pieces" ;;
  esac
}

# The toolkit headers a file may include: Qt's (<Q...>) only in
# ui/platform/qt/, the Windows API's only in the Windows pieces.
toolkit_includes_of() {
  local file=$1
  case "$file" in
    ui/platform/qt/*) grep -n '^#include <\(windows\|commctrl\|shellapi\|shlobj\|winuser\)\.h>' "$file" || true ;;
    ui/platform/win32/* | store/file/win32/*) grep -n '^#include <Q' "$file" || true ;;
    *) grep -n '^#include <\(Q\|windows\.h\|commctrl\.h\|shellapi\.h\|shlobj\.h\|winuser\.h\)' "$file" || true ;;
  esac
}

sources=$(find store ui app res -name '*.h' -o -name '*.cpp' | sort)

for file in $sources; do
  allowed=$(allowed_for "$file")
  forbidden=$(forbidden_for "$file")
  while IFS= read -r included; do
    ok=0
    for prefix in $allowed; do
      [[ "$included" == "$prefix"* ]] && ok=1
    done
    for prefix in $forbidden; do
      [[ "$included" == "$prefix"* ]] && ok=0
    done
    [[ $ok == 1 ]] || complain "$file includes \"$included\""
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
  while IFS= read -r line; do
    [[ -z "$line" ]] || complain "$file includes a toolkit's header: ${line#*:}"
  done < <(toolkit_includes_of "$file")
done

# The part a file belongs to: its path without the extension.
part_of() { echo "${1%.*}"; }

# Edges part -> part, from every include of a project file that exists.
edges=$(for file in $sources; do
  from=$(part_of "$file")
  sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file" | while IFS= read -r included; do
    [[ -f "$included" ]] || continue
    to=$(part_of "$included")
    [[ "$from" == "$to" ]] || echo "$from $to"
  done
done | sort -u)

# Depth-first search for a cycle among the parts.
cycles=$(awk '
  { out[$1] = out[$1] " " $2; parts[$1] = 1; parts[$2] = 1 }
  function visit(p, path,   n, i, next_parts) {
    if (state[p] == 2) return
    if (state[p] == 1) { print "cycle: " path " -> " p; found = 1; return }
    state[p] = 1
    n = split(out[p], next_parts, " ")
    for (i = 1; i <= n; ++i) visit(next_parts[i], path == "" ? p : path " -> " p)
    state[p] = 2
  }
  END { for (p in parts) visit(p, ""); exit found ? 1 : 0 }
' <<<"$edges") || true
if [[ -n "$cycles" ]]; then
  while IFS= read -r line; do complain "$line"; done <<<"$cycles"
fi

[[ $status == 0 ]] && echo "check-layers: every include runs down, and no two parts include each other"
exit $status
