#!/bin/bash
# Takes a screenshot of the real program in a private X server with the
# openbox window manager: the main window on a sample entry file and, with
# --about, the About box over it; --keys sends keys to the window first (in
# xdotool's names), for a message box or a state of the window:
#   scripts/screenshot.sh --keys "alt+Cyrillic_ve" build/app/velunar box.png
#
# Usage: scripts/screenshot.sh [--about] [--keys KEYS] [--size WxH] [--dpi N] [--dark]
#                              [--wine] VELUNAR_EXECUTABLE OUT.png [SAMPLE_FILE]
#   --size sets the screen, and so the picture, to W x H pixels (default
#   1280x1024); the README's and the metainfo's picture is 1024x768:
#     scripts/screenshot.sh --size 1024x768 build/app/velunar res/screenshots/main-window.png
#   --dpi sets the desktop's font resolution (Xft.dpi; 120 is a 125 % desktop);
#   --dark gives the program a dark palette, as a dark desktop theme does.
#   --wine runs the Windows build (velunar.exe) under Wine, in the prefix
#   WINEPREFIX, which must exist (scripts/test-windows.sh makes one).
#   SAMPLE_FILE is copied into a temporary directory as velunar.txt (it is
#   never changed); without it a built-in sample of Russian entries is used.
# The program runs in that temporary directory and is closed with Escape
# afterwards, which writes only the copy.
set -euo pipefail

about=false
keys=
dpi=
dark=false
wine=false
while [[ ${1:-} == --* ]]; do
  case $1 in
    --about) about=true; shift ;;
    --keys) keys=$2; shift 2 ;;
    --dpi) dpi=$2; shift 2 ;;
    --dark) dark=true; shift ;;
    --wine) wine=true; shift ;;
    --size)
      [[ ${2:-} =~ ^[0-9]+x[0-9]+$ ]] || { echo "$0: --size takes WIDTHxHEIGHT" >&2; exit 2; }
      export XSESSION_SCREEN=$2
      shift 2 ;;
    *) break ;;
  esac
done
if [[ $# -lt 2 || $# -gt 3 ]]; then
  echo "usage: $0 [--about] [--keys KEYS] [--size WxH] [--dpi N] [--dark] [--wine] VELUNAR_EXECUTABLE OUT.png [SAMPLE_FILE]" >&2
  exit 2
fi
exe=$(realpath "$1")
out=$(realpath -m "$2")
sample=${3:+$(realpath "$3")}
timeout=${E2E_TIMEOUT:-20}

run=()
if $wine; then
  [[ -d ${WINEPREFIX:-} ]] || { echo "$0: --wine needs WINEPREFIX, a Wine prefix that exists" >&2; exit 2; }
  # As tests/e2e/run.sh runs it: the Russian locale, English and Russian
  # layouts, and a window manager that leaves every key to the program.
  run=(env LC_ALL=ru_RU.UTF-8 wine)
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" XSESSION_LAYOUTS=us,ru XSESSION_NO_WM_KEYS=1
fi

root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/e2e/xsession.sh
source "$root/tests/e2e/xsession.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/velunar-shot.XXXXXX")
program_pid=
cleanup() {
  if [[ -n $program_pid ]] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null
    wait "$program_pid" 2>/dev/null || true
  fi
  ! $wine || wineserver -k 2>/dev/null || true
  xsession_stop
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Prints the first visible window of the program whose title matches $1,
# waiting for it.
wait_window() {
  local ids tries=$((timeout * 10))
  while ((tries-- > 0)); do
    ids=$(xdotool search --all --onlyvisible --pid "$program_pid" --name "$1" 2>/dev/null) || true
    if [[ -n $ids ]]; then
      head -n 1 <<<"$ids"
      return 0
    fi
    sleep 0.1
  done
  echo "no window titled $1 within ${timeout}s" >&2
  return 1
}

# Waits until the program shows more than $1 visible windows (a menu that
# has opened), and prints their number.
wait_more_windows() {
  local count tries=$((timeout * 10))
  while ((tries-- > 0)); do
    count=$(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | wc -l) || true
    if ((count > $1)); then
      echo "$count"
      return 0
    fi
    sleep 0.1
  done
  echo "no menu opened within ${timeout}s" >&2
  return 1
}

if $wine; then xsession_require_tools windows e2e; else xsession_require_tools; fi
xsession_start "$work/x"
if [[ -n $dpi ]]; then
  echo "Xft.dpi: $dpi" | xrdb -merge
fi
if $dark; then
  "$root/scripts/install-deps.sh" dark >&2
  export QT_STYLE_OVERRIDE=Adwaita-Dark
fi

mkdir "$work/run"
if [[ -n $sample ]]; then
  cp "$sample" "$work/run/velunar.txt"
else
  printf '%s\r\n' \
    'Абрамов Пётр Ильич, 8 (495) 123-45-67' \
    'Булочная на Садовой, ул. Садовая, 5' \
    'Васильева Анна — моб. 8 912 345-67-89' \
    'Доктор Сидоров, приём по вторникам с 9 до 13' \
    'Иванов Иван, ул. Ленина, 10, кв. 3' \
    'Ремонт телевизоров: 234-56-78' \
    'Смирнова Ольга, день рождения 12 мая' \
    'Такси 055' |
    iconv -f UTF-8 -t CP1251 >"$work/run/velunar.txt"
fi

cd "$work/run"
"${run[@]}" "$exe" >"$work/program.log" 2>&1 &
program_pid=$!
main=$(wait_window '^Велунар$')
xdotool windowactivate --sync "$main" 2>/dev/null || true

if $about && $wine; then
  # Windows opens the system menu on Alt+Space; "&О программе" is its last
  # item (Wine adds "&О Wine" above it, with the same letter).
  sleep 0.5
  xdotool key alt+space
  sleep 0.5
  xdotool key --delay 100 Up Return
  wait_window '^О программе "Велунар"$' >/dev/null
elif $about; then
  # The window's own system menu opens on a right click outside the entry
  # field; its item "&О программе" is chosen by its letter.
  x=0 y=0 width=0 height=0
  eval "$(xwininfo -id "$main" | awk -F: '
    /Absolute upper-left X/ { print "x=" $2 + 0 }
    /Absolute upper-left Y/ { print "y=" $2 + 0 }
    /^ *Width/ { print "width=" $2 + 0 }
    /^ *Height/ { print "height=" $2 + 0 }')"
  before=$(xdotool search --onlyvisible --pid "$program_pid" | wc -l)
  xdotool mousemove --sync $((x + width / 2)) $((y + height / 3)) click 3
  wait_more_windows "$before" >/dev/null
  sleep 0.3
  xdotool key Cyrillic_o
  wait_window '^О программе "Велунар"$' >/dev/null
fi

if [[ -n $keys ]]; then
  # shellcheck disable=SC2086  # one key per word
  xdotool key --delay 100 $keys
fi

# Let the windows finish painting before the picture is taken.
sleep 1
import -window root "$out"
echo "$out"

# Close what is open over the main window, then leave it, by Escape.
for _ in $(seq $((timeout * 2))); do
  kill -0 "$program_pid" 2>/dev/null || break
  xdotool key Escape
  sleep 0.5
done
