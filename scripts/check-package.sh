#!/bin/bash
# Checks the Debian package as a distribution maintainer would: lintian with
# every tag, pedantic ones included, must report no error and no warning;
# hardening-check must find every hardening feature in each program; and the
# package's own files must pass the desktop checks of
# scripts/check-desktop-tree.sh (icons through gdk-pixbuf, one component in
# the AppStream catalogue).
#
# Usage: scripts/check-package.sh velunar_<version>_<arch>.deb
# Fails (non-zero) when any check does. Installs what it needs first: lintian
# and devscripts (hardening-check), which packing the program does not need,
# and the desktop checks' tools.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 PACKAGE.deb" >&2
  exit 2
fi
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deb=$(realpath "$1")
"$top/scripts/install-deps.sh" package-check desktop

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

# shellcheck source=scripts/checks.sh
source "$top/scripts/checks.sh"

dpkg-deb --info "$deb" control
# -E -I -L +pedantic: experimental, informational and pedantic tags as well;
# the informational ones are shown but do not fail the check. The package's
# overrides (packaging/lintian-overrides) say why each applies.
check lintian -E -v -I -L +pedantic --fail-on error,warning "$deb"

dpkg-deb -x "$deb" "$tree"
programs=()
while IFS= read -r -d '' file; do
  [[ $(head -c 4 "$file" | od -An -tx1 | tr -d ' \n') == 7f454c46 ]] && programs+=("$file")
done < <(find "$tree" -type f -print0)
if [[ ${#programs[@]} -eq 0 ]]; then
  fail "no program in $deb"
fi
# Debian 12's dpkg-buildflags does not turn on -fcf-protection, so control
# flow integrity is not asked for; a "no" on any other line fails.
for program in "${programs[@]}"; do
  check hardening-check --nocfprotection "$program"
done

check "$top/scripts/check-desktop-tree.sh" "$tree"

end_checks "package"
