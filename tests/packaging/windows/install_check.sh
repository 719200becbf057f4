#!/usr/bin/env bash
# Installs Велунар under Wine with its installer, silently, and checks what
# it leaves: the program's files in the user's programs folder (the program
# the very one built), the Start-menu shortcut that starts it in Documents,
# the entry of "Apps and features". Then uninstalls it, silently, and checks
# that all of that is gone and a phone book in Documents is not.
#
#   tests/packaging/windows/install_check.sh SETUP_EXE VELUNAR_EXE
#
# Runs in the caller's WINEPREFIX, DISPLAY and LC_ALL (scripts/test-windows.sh
# gives it a prefix made for the run, with its Wine server running); the
# prefix must not hold Велунар already. Prints a line per check and
# "N passed, N failed"; exits 1 when anything failed.
set -euo pipefail
usage="usage: install_check.sh SETUP_EXE VELUNAR_EXE"
setup=${1:?$usage}
built=${2:?$usage}
: "${WINEPREFIX:?install_check.sh needs WINEPREFIX}"
# Wine's menu builder would copy the shortcut into the menus of the Unix
# desktop (~/.local/share/applications); the shortcut stays in the prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velunar'

passed=0 failed=0
check() { # check TEXT CMD...: a line saying whether CMD succeeded
  local text=$1
  shift
  if "$@"; then
    echo "PASS $text"
    passed=$((passed + 1))
  else
    echo "FAIL $text"
    failed=$((failed + 1))
  fi
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
no_key() { ! wine reg query "$key" >/dev/null 2>&1; }
# A value as `reg export` writes it: "NAME"="VALUE", \ and " escaped.
reg_line() {
  local value=${2//\\/\\\\}
  printf '"%s"="%s"' "$1" "${value//\"/\\\"}"
}

# The working folder a shell link (.lnk) names. After the 76-byte header
# come the item list and the LinkInfo, each when its flag is set, then the
# strings: name, relative path, working folder..., likewise; a string is a
# count of UTF-16 units and the units.
lnk_working_dir() {
  local -a b
  read -r -a b <<<"$(od -An -v -tu1 "$1" | tr '\n' ' ')"
  local flags=$((b[20] | b[21] << 8)) at=76
  ((flags & 0x01)) && at=$((at + 2 + (b[at] | b[at + 1] << 8)))
  ((flags & 0x02)) && at=$((at + (b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24)))
  ((flags & 0x04)) && at=$((at + 2 + 2 * (b[at] | b[at + 1] << 8)))
  ((flags & 0x08)) && at=$((at + 2 + 2 * (b[at] | b[at + 1] << 8)))
  # Present, and in UTF-16.
  ((flags & 0x10 && flags & 0x80)) || return 0
  tail -c +$((at + 3)) "$1" | head -c $((2 * (b[at] | b[at + 1] << 8))) |
    iconv -f UTF-16LE -t UTF-8 | tr -d '\0'
}

# The folders as the installer finds them ($LOCALAPPDATA, $SMPROGRAMS,
# $DOCUMENTS): the user's shell folders, expanded by Windows, and where
# they are on the Unix side.
folders=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' |
  tr -d '\r')
shell_folder() {
  wine cmd /c "echo $(sed -n "s/^    $1    REG_EXPAND_SZ    //p" <<<"$folders")" | tr -d '\r'
}
unix_path() { winepath -u "$1" | tr -d '\r'; }
inst_win="$(shell_folder 'Local AppData')\\Programs\\Velunar"
inst="$(unix_path "$(shell_folder 'Local AppData')")/Programs/Velunar"
lnk="$(unix_path "$(shell_folder Programs)")/Велунар.lnk"
docs_win=$(shell_folder Personal)
docs=$(unix_path "$docs_win")
[[ ! -e $inst ]] || { echo "install_check.sh: $inst exists already" >&2; exit 2; }

work=$(mktemp -d)
docs_link=
book_put=false
cleanup() {
  ! $book_put || rm -f "$docs/velunar.txt"
  [[ -z $docs_link ]] || { rmdir "$docs" && ln -s "$docs_link" "$docs"; }
  rm -rf "$work"
}
trap cleanup EXIT
# Wine links Documents to the Unix user's home, and the check writes a
# phone book there: for the check's while it is a folder of the prefix.
if [[ -L $docs ]]; then
  docs_link=$(readlink "$docs")
  rm "$docs" && mkdir "$docs"
fi
[[ ! -e $docs/velunar.txt ]] || { echo "install_check.sh: $docs/velunar.txt exists" >&2; exit 2; }

# wine runs the installer as its own process, not through ShellExecute, and
# returns when it ends: whatever it installs is there by then.
start=$(now_ms)
status=0
timeout 300 wine "$setup" /S || status=$?
check "silent install exits with 0 (status $status, $(($(now_ms) - start)) ms)" test "$status" = 0
for file in velunar.exe README.txt LICENSE.txt uninstall.exe; do
  check "installed $inst_win\\$file" test -f "$inst/$file"
done
check "installed velunar.exe is the one built" cmp -s "$built" "$inst/velunar.exe"
check "Start-menu shortcut $lnk" test -f "$lnk"
check "shortcut starts in $docs_win" test "$(lnk_working_dir "$lnk" 2>/dev/null)" = "$docs_win"
# Exported, the key's texts are UTF-16 whatever the locale (reg query
# prints them in the console's code page).
wine reg export "$key" "$(winepath -w "$work/key.reg")" /y >/dev/null 2>&1 || true
iconv -f UTF-16 -t UTF-8 "$work/key.reg" 2>/dev/null | tr -d '\r' >"$work/key.txt" || true
check "uninstall key's DisplayName" grep -qxF "$(reg_line DisplayName Велунар)" "$work/key.txt"
check "uninstall key's UninstallString" grep -qxF \
  "$(reg_line UninstallString "\"$inst_win\\uninstall.exe\"")" "$work/key.txt"

# A phone book where the shortcut starts the program (Windows-1251, CR LF).
printf 'Иванов Иван Иванович\t+7 495 123-45-67\r\n' | iconv -t CP1251 >"$work/book"
cp "$work/book" "$docs/velunar.txt"
book_put=true

# The uninstaller copies itself to %TEMP%, starts the copy and returns at
# once, as it does for "Apps and features"; the copy's last step removes the
# key, so the work is done when the key is gone.
start=$(now_ms)
wine "$inst/uninstall.exe" /S || true
deadline=$((SECONDS + 60))
until no_key || ((SECONDS > deadline)); do sleep 0.2; done
check "uninstall key removed (uninstall took $(($(now_ms) - start)) ms)" no_key
check "program folder removed" test ! -e "$inst"
check "shortcut removed" test ! -e "$lnk"
check "phone book in Documents kept as it was" cmp -s "$work/book" "$docs/velunar.txt"

echo "$passed passed, $failed failed"
((failed == 0))
