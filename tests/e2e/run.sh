#!/bin/bash
# End-to-end tests of Велунар: starts the built program as a user would, in
# a fresh directory, in a private X server with a window manager, types into
# its window through xdotool and checks the exact bytes of velunar.txt
# (Windows-1251, CR LF after every entry).
#
# Usage: tests/e2e/run.sh [--wine] VELUNAR_EXECUTABLE [CASE_PATTERN]
#   --wine         the executable is the Windows build (velunar.exe), run
#                  under Wine in the prefix WINEPREFIX, which must exist
#                  (scripts/test-windows.sh makes it); the cases only one
#                  system has are left out (see is_for_this_system)
#   CASE_PATTERN, a bash glob, runs only the cases whose names match it.
# Environment:
#   E2E_TIMEOUT    seconds to wait for a window or for the program to end (20)
#   E2E_ARTIFACTS  directory that receives a screenshot and the program's
#                  output of every failing case (default: not kept)
# The last line of the output is "N passed, M failed"; the exit status is
# non-zero when any case failed.
set -u

WINE=
if [[ ${1:-} == --wine ]]; then
  WINE=1
  shift
fi
if [[ $# -lt 1 || $# -gt 2 ]]; then
  echo "usage: $0 [--wine] VELUNAR_EXECUTABLE [CASE_PATTERN]" >&2
  exit 2
fi
if [[ ! -f $1 || (-z $WINE && ! -x $1) ]]; then
  echo "$1: not an executable file" >&2
  exit 2
fi
if [[ -n $WINE && ! -d ${WINEPREFIX:-} ]]; then
  echo "--wine needs WINEPREFIX, a Wine prefix that exists" >&2
  exit 2
fi
EXE=$(realpath "$1")
PATTERN=${2:-*}
TIMEOUT=${E2E_TIMEOUT:-20}
ARTIFACTS=${E2E_ARTIFACTS:-}
# Message boxes that report failures carry the application title: the
# executable's file name without its extension.
APP_TITLE=$(basename "$EXE")
APP_TITLE=${APP_TITLE%.*}

# How the program is started: directly, or under Wine in the Russian
# locale, in which Wine's code page is 1251 as on a Russian Windows.
RUN=()
if [[ -n $WINE ]]; then
  RUN=(env LC_ALL=ru_RU.UTF-8 wine)
  export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
  # Wine reads the keyboard's layouts once, when it starts. English first
  # and Russian second, set before it starts, is the arrangement in which
  # xdotool's Latin keys and its Cyrillic text both reach the program as
  # typed. Wine's windows leave Alt+Space and the like to the window
  # manager, so the manager binds no keys.
  export XSESSION_LAYOUTS=us,ru XSESSION_NO_WM_KEYS=1
fi

HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/e2e/xsession.sh
source "$HERE/xsession.sh"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/velunar-e2e.XXXXXX")
cleanup() {
  [[ -z $WINE ]] || wineserver -k 2>/dev/null
  xsession_stop
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---------------------------------------------------------------------------
# Helpers for the cases. Each case runs in a subshell with `set -e` inside its
# own directory; fail() ends the case, and the subshell's EXIT trap ends every
# program the case started, so a failing case leaves nothing running.

PROGRAM_PIDS=()
PROGRAM_PID=

fail() {
  echo "    $*" >&2
  exit 1
}

# Starts the program in the current directory, as from a terminal, with its
# output kept in program.log. Sets PROGRAM_PID.
launch() {
  "${RUN[@]}" "$EXE" >>program.log 2>&1 &
  PROGRAM_PID=$!
  PROGRAM_PIDS+=("$PROGRAM_PID")
}

# The EXIT trap of a case: a failing case leaves a picture of the screen as
# it was (when E2E_ARTIFACTS asks for it), then every program it started
# is ended.
end_case() {
  local status=$?
  if [[ $status -ne 0 && -n $ARTIFACTS ]]; then
    import -window root screen.png 2>/dev/null || true
  fi
  end_programs
  exit "$status"
}

end_programs() {
  local pid
  for pid in "${PROGRAM_PIDS[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
    fi
  done
}

# Waits for a visible window of process PID whose title matches the regular
# expression TITLE and sets WINDOW to its id. (A variable, not output: fail
# inside a command substitution would end only the substitution.)
wait_window() {
  local pid=$1 title=$2 ids
  local tries=$((TIMEOUT * 10))
  WINDOW=
  while ((tries-- > 0)); do
    ids=$(xdotool search --all --onlyvisible --pid "$pid" --name "$title" 2>/dev/null) || true
    if [[ -n $ids ]]; then
      WINDOW=$(head -n 1 <<<"$ids")
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || fail "the program ended before showing a window titled $title"
    sleep 0.1
  done
  fail "no window titled $title within ${TIMEOUT}s"
}

# Waits until no visible window of PID matches TITLE any more.
wait_no_window() {
  local pid=$1 title=$2
  local tries=$((TIMEOUT * 10))
  while ((tries-- > 0)); do
    xdotool search --all --onlyvisible --pid "$pid" --name "$title" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the window titled $title is still open after ${TIMEOUT}s"
}

# Gives WINDOW the keyboard focus and waits until the window manager has
# made it the active window, so that the keys that follow reach it.
focus_window() {
  local window=$1
  local tries=$((TIMEOUT * 10))
  while ((tries-- > 0)); do
    [[ $(xdotool getactivewindow 2>/dev/null) == "$window" ]] && return 0
    xdotool windowactivate "$window" 2>/dev/null || true
    sleep 0.1
  done
  fail "window $window did not become active"
}

# Starts the program and waits for its main window, focused. Sets MAIN.
start_main_window() {
  launch
  wait_window "$PROGRAM_PID" '^Велунар$'
  MAIN=$WINDOW
  focus_window "$MAIN"
  # Wine gives its window the keyboard only when it has handled the X
  # server's focus event, which on a busy machine comes well after the
  # window manager calls the window active; keys before that are lost.
  [[ -z $WINE ]] || sleep 0.5
}

# Key strokes, by X key names (Return, Escape, Tab, space, ctrl+a, alt+...).
keys() {
  xdotool key --delay 60 "$@"
}

# Types TEXT (UTF-8, Cyrillic included) into the focused control.
type_text() {
  xdotool type --delay 40 -- "$1"
}

# The mnemonics of the window's buttons, as the user presses them. A button
# pressed by its mnemonic shows itself pressed for a moment and fires when it
# comes up again, about 100 ms later; keys sent before that would overtake
# the command, so each press waits for it. Under Wine, too, Alt alone, as a
# Windows user presses it: Wine's own dialog manager would want Alt+Shift
# for the upper-case «&Сохранить», but the program matches a mnemonic by
# the key's Russian letter in either case, as Windows does.
press_mnemonic() {
  keys "alt+$1"
  sleep 0.4
}
press_find() { press_mnemonic Cyrillic_shorti; }  # "На&йти"
press_show_all() { press_mnemonic Cyrillic_io; }  # "Показать вс&ё"
press_add() { press_mnemonic Cyrillic_ve; }       # "Доба&вить"
press_save() { press_mnemonic Cyrillic_es; }      # "&Сохранить"
press_exit() { press_mnemonic Cyrillic_yeru; }    # "В&ыход"

# Waits for the "Внимание!" box of PID, checks that it is in front, and
# dismisses it with Enter as a user would.
dismiss_attention_box() {
  local pid=$1
  wait_window "$pid" '^Внимание!$'
  focus_window "$WINDOW"
  keys Return
  wait_no_window "$pid" '^Внимание!$'
  focus_window "$MAIN"
}

# Fails when a "Внимание!" box of the program is up: the command just given
# was refused. (A refusal shows at once; half a second is ample.)
expect_no_attention_box() {
  sleep 0.5
  if xdotool search --all --onlyvisible --pid "$PROGRAM_PID" --name '^Внимание!$' >/dev/null 2>&1; then
    fail "$1 was refused with a \"Внимание!\" box"
  fi
}

# Sets WIN_X, WIN_Y, WIN_WIDTH, WIN_HEIGHT: the client area of WINDOW on the
# screen, without the window manager's frame.
window_geometry() {
  eval "$(xwininfo -id "$1" | awk -F: '
    /Absolute upper-left X/ { print "WIN_X=" $2 + 0 }
    /Absolute upper-left Y/ { print "WIN_Y=" $2 + 0 }
    /^ *Width/ { print "WIN_WIDTH=" $2 + 0 }
    /^ *Height/ { print "WIN_HEIGHT=" $2 + 0 }')"
}

# Clicks into the entry field and selects its text, so that what is typed
# next replaces it. Needed after a mnemonic, which may leave the focus on
# the button it pressed. The field spans dialog units 382 to 394 of the
# window's 423 in height, across the middle.
click_entry_field() {
  window_geometry "$MAIN"
  xdotool mousemove --sync $((WIN_X + WIN_WIDTH / 2)) $((WIN_Y + WIN_HEIGHT * 388 / 423)) click 1
  keys ctrl+a
}

# Prints the titles of the visible windows of PID, for failure messages.
window_titles() {
  local window
  for window in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    printf '"%s" ' "$(xdotool getwindowname "$window" 2>/dev/null)"
  done
}

# Waits for PID to end and sets EXIT_STATUS.
wait_exit() {
  local pid=$1
  local tries=$((TIMEOUT * 10))
  while kill -0 "$pid" 2>/dev/null; do
    ((tries-- > 0)) ||
      fail "the program did not end within ${TIMEOUT}s; its windows: $(window_titles "$pid")"
    sleep 0.1
  done
  EXIT_STATUS=0
  wait "$pid" || EXIT_STATUS=$?
}

# Waits for the program to end after Exit and checks that it ended normally.
expect_normal_end() {
  wait_exit "$PROGRAM_PID"
  [[ $EXIT_STATUS -eq 0 ]] || fail "the program ended with status $EXIT_STATUS, expected 0"
}

# Converts UTF-8 on stdin to the Windows-1251 bytes the entry file holds.
to_cp1251() {
  iconv -f UTF-8 -t CP1251
}

# Compares velunar.txt with the bytes on stdin.
expect_file() {
  cat >expected.bin
  [[ -f velunar.txt ]] || fail "velunar.txt does not exist"
  if ! cmp -s expected.bin velunar.txt; then
    {
      echo "velunar.txt differs; expected:"
      od -An -c expected.bin
      echo "but it holds:"
      od -An -c velunar.txt
    } | sed 's/^/    /' >&2
    exit 1
  fi
}

# Waits until velunar.txt holds the bytes on stdin (for a Save while the
# window stays open, which the program does not announce).
expect_file_soon() {
  # A file of its own: expect_file writes expected.bin from its input.
  cat >wanted.bin
  local tries=$((TIMEOUT * 10))
  while ((tries-- > 0)); do
    cmp -s wanted.bin velunar.txt 2>/dev/null && return 0
    sleep 0.1
  done
  expect_file <wanted.bin
}

# ---------------------------------------------------------------------------
# The cases. Each starts in a fresh empty directory.

case_missing_file_becomes_empty_file() {
  start_main_window
  [[ -f velunar.txt ]] || fail "no velunar.txt while the window is open"
  [[ ! -s velunar.txt ]] || fail "velunar.txt is not empty while the window is open"
  keys Escape
  expect_normal_end
  printf '' | expect_file
}

case_add_by_enter_sorts_entries() {
  start_main_window
  type_text 'b'
  keys Return ctrl+a
  type_text 'a'
  keys Return Escape
  expect_normal_end
  printf 'a\r\nb\r\n' | expect_file
}

case_typing_replaces_the_selected_hint() {
  printf 'x\r\n' >velunar.txt
  start_main_window
  # No ctrl+a: the hint text is selected at start, so typing replaces it.
  type_text 'w'
  keys Return Escape
  expect_normal_end
  printf 'w\r\nx\r\n' | expect_file
}

case_add_cyrillic_entries_in_cp1251() {
  start_main_window
  type_text 'Борис Петров 123-45-67'
  keys Return ctrl+a
  type_text 'Анна Ёлкина'
  keys Return Escape
  expect_normal_end
  printf 'Анна Ёлкина\r\nБорис Петров 123-45-67\r\n' | to_cp1251 | expect_file
}

case_add_same_text_twice_keeps_one_entry() {
  start_main_window
  type_text 'a'
  keys Return ctrl+a
  type_text 'a'
  keys Return ctrl+a
  type_text 'Иван'
  keys Return ctrl+a
  type_text 'Иван'
  keys Return Escape
  expect_normal_end
  printf 'a\r\nИван\r\n' | to_cp1251 | expect_file
}

case_add_by_mnemonic_and_save_keeps_window_open() {
  start_main_window
  type_text 'b'
  keys Return ctrl+a
  type_text 'a'
  press_add
  press_save
  printf 'a\r\nb\r\n' | expect_file_soon
  kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the window closed after Save"
  press_exit
  expect_normal_end
  printf 'a\r\nb\r\n' | expect_file
}

case_latin_layout_alt_keys_press_mnemonics_and_type_nothing() {
  printf 'b\r\n' >velunar.txt
  start_main_window
  setxkbmap -layout us,ru
  type_text 'a'
  # Alt+z and Alt+x are я and ч there, which no button has: nothing typed.
  keys alt+z alt+x
  sleep 0.4
  press_mnemonic d # в: Доба&вить
  press_mnemonic c # с: &Сохранить
  printf 'a\r\nb\r\n' | expect_file_soon
  setxkbmap -layout ru,us
  press_exit
  expect_normal_end
  printf 'a\r\nb\r\n' | expect_file
}

case_empty_add_is_refused_with_a_message() {
  printf 'x\r\n' >velunar.txt
  start_main_window
  # "Невозможно добавить пустую строку!"
  keys ctrl+a BackSpace Return
  dismiss_attention_box "$PROGRAM_PID"
  # The window goes on as before.
  type_text 'y'
  keys Return Escape
  expect_normal_end
  printf 'x\r\ny\r\n' | expect_file
}

case_add_of_the_hint_is_refused_with_a_message() {
  printf 'x\r\n' >velunar.txt
  start_main_window
  # The hint text is still in the field: "Вы пытаетесь добавить строку подсказки! Зачем?"
  keys Return
  dismiss_attention_box "$PROGRAM_PID"
  keys Escape
  expect_normal_end
  printf 'x\r\n' | expect_file
}

case_find_then_escape_writes_every_entry() {
  printf 'b\r\na\r\nc\r\n' >velunar.txt
  start_main_window
  type_text 'B'
  press_find
  # Find has put the count line into the field. Enter runs Add (focus in the
  # field) or Find again (focus on the Find button); both refuse the count
  # line with a message, which shows that Find ran.
  keys Return
  dismiss_attention_box "$PROGRAM_PID"
  keys Escape
  expect_normal_end
  printf 'a\r\nb\r\nc\r\n' | expect_file
}

# Find narrows the list to the entries that contain the text, folding
# Cyrillic case. Which entries the list shows is seen through Delete: End in
# the list selects its last item, and Delete removes the selected entry.
find_narrows_then_delete_last_shown() {
  printf 'Иван Петров\r\nЮрий\r\nАнна\r\n' | to_cp1251 >velunar.txt
  start_main_window
  type_text 'ПЕТР'
  press_find
  "$@"
  click_entry_field
  # Home before End: with nothing selected, Wine's list box takes the first
  # key for a choice of the item with the focus rectangle, wherever the key
  # would go.
  keys Tab Home End
  keys Tab Tab Tab Tab Tab space
  expect_no_attention_box "Delete of the last entry shown"
  keys Escape
  expect_normal_end
}

case_find_narrows_the_list_ignoring_case() {
  find_narrows_then_delete_last_shown
  # "Иван Петров" was the only entry shown, and so the last.
  printf 'Анна\r\nЮрий\r\n' | to_cp1251 | expect_file
}

case_show_all_after_find_shows_every_entry() {
  find_narrows_then_delete_last_shown press_show_all
  # All entries shown again: "Юрий" was the last.
  printf 'Анна\r\nИван Петров\r\n' | to_cp1251 | expect_file
}

case_delete_removes_the_selected_entry() {
  printf 'a\r\nb\r\nc\r\n' >velunar.txt
  start_main_window
  # Into the list, select "b" (Select shows it in the field), then Tab along
  # Find, Show all, Add, Change to the caption-less Delete button.
  keys Tab Home Down
  keys Tab Tab Tab Tab Tab space
  expect_no_attention_box "Delete"
  keys Escape
  expect_normal_end
  printf 'a\r\nc\r\n' | expect_file
}

case_change_replaces_the_selected_entry() {
  printf 'a\r\nc\r\n' >velunar.txt
  start_main_window
  # Select "c", edit it in the field to "b", Tab along the list, Find,
  # Show all and Add to the caption-less Change button.
  keys Tab End shift+Tab ctrl+a
  type_text 'b'
  keys Tab Tab Tab Tab Tab space
  expect_no_attention_box "Change"
  keys Escape
  expect_normal_end
  printf 'a\r\nb\r\n' | expect_file
}

case_escape_writes_the_file() {
  # LF line ends and no order: the file is rewritten sorted with CR LF.
  printf 'b\na\n' >velunar.txt
  start_main_window
  keys Escape
  expect_normal_end
  printf 'a\r\nb\r\n' | expect_file
}

case_close_button_writes_the_file() {
  printf 'b\na\n' >velunar.txt
  start_main_window
  type_text 'c'
  keys Return
  # The close button sits at the right end of openbox's title bar; the frame
  # extents (left, right, top, bottom) give the title bar's height.
  local extents right top
  window_geometry "$MAIN"
  extents=$(xprop -id "$MAIN" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  read -r _ right top _ <<<"$extents"
  [[ -n $top && $top -gt 0 ]] || fail "the window has no title bar"
  xdotool mousemove --sync $((WIN_X + WIN_WIDTH + right - top / 2 - 1)) $((WIN_Y - top / 2 - 1)) click 1
  expect_normal_end
  printf 'a\r\nb\r\nc\r\n' | expect_file
}

case_alt_f4_writes_the_file() {
  printf 'b\na\n' >velunar.txt
  start_main_window
  keys alt+F4
  expect_normal_end
  printf 'a\r\nb\r\n' | expect_file
}

case_second_copy_leaves_the_file_untouched() {
  printf 'b\r\na\r\n' >velunar.txt
  start_main_window
  local first=$PROGRAM_PID second
  cp velunar.txt before.bin
  launch
  second=$PROGRAM_PID
  # The second copy reports, under the application title, that the file is
  # in use, and ends without a window of its own.
  wait_window "$second" "^${APP_TITLE}\$"
  if xdotool search --all --onlyvisible --pid "$second" --name '^Велунар$' >/dev/null 2>&1; then
    fail "the second copy opened a main window"
  fi
  focus_window "$WINDOW"
  keys Return
  wait_exit "$second"
  [[ $EXIT_STATUS -ne 0 ]] || fail "the second copy ended with status 0"
  expect_file <before.bin
  # The first copy still holds the file and writes it at Exit.
  PROGRAM_PID=$first
  focus_window "$MAIN"
  type_text 'c'
  keys Return Escape
  expect_normal_end
  printf 'a\r\nb\r\nc\r\n' | expect_file
}

case_without_a_display_ends_with_a_message() {
  local status=0
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$EXE" >stdout.txt 2>stderr.txt </dev/null &
  PROGRAM_PIDS+=("$!")
  wait_exit "$!"
  status=$EXIT_STATUS
  [[ $status -ne 0 ]] || fail "ended with status 0 without a display"
  [[ -s stderr.txt ]] || fail "said nothing on stderr"
  [[ ! -e velunar.txt ]] || fail "created velunar.txt without a window"
}

# Keys that come faster than a mnemonic's button could show itself pressed:
# the command runs at once, before the keys behind it.
case_mnemonic_then_escape_at_once_adds_the_entry() {
  start_main_window
  type_text 'ab'
  xdotool key --delay 20 alt+Cyrillic_ve Escape
  expect_normal_end
  printf 'ab\r\n' | expect_file
}

case_mnemonic_then_typing_at_once_adds_what_was_typed_before() {
  start_main_window
  type_text 'ab'
  xdotool key --delay 20 alt+Cyrillic_ve type --delay 20 cd
  keys Escape
  expect_normal_end
  printf 'ab\r\n' | expect_file
}

# On a 1024x768 screen, the screen the window was drawn for, the whole
# window with its frame lies on the screen. Runs in an X session of its own.
# Starts the program on a screen of its own, $1 pixels (WIDTHxHEIGHT), with
# the desktop's font resolution at $2 DPI (Xft.dpi) and, with $3 = hidden,
# DejaVu Sans Condensed hidden from it; checks that the window with its
# frame lies on the screen and that a mouse click on «Выход» ends it.
# Sets WIN_WIDTH and WIN_HEIGHT to the client area.
window_fits_screen() {
  export XSESSION_SCREEN=$1
  if [[ ${3:-} == hidden ]]; then
    # The system's fonts less that one, as on a system without the package.
    cat >fonts.conf <<'XML'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <selectfont><rejectfont><glob>*DejaVuSansCondensed*</glob></rejectfont></selectfont>
</fontconfig>
XML
  fi
  xsession_start "$PWD/x" >xsession.log 2>&1 || fail "no $1 X session"
  [[ ${3:-} == hidden ]] && export FONTCONFIG_FILE=$PWD/fonts.conf
  echo "Xft.dpi: $2" | xrdb -merge || fail "xrdb could not set Xft.dpi"
  printf 'a\r\n' >velunar.txt
  start_main_window
  window_geometry "$MAIN"
  local width=${1%x*} height=${1#*x} left right top bottom
  read -r left right top bottom < <(xprop -id "$MAIN" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  ((WIN_X - left >= 0 && WIN_Y - top >= 0)) ||
    fail "the frame starts off the screen at ($((WIN_X - left)), $((WIN_Y - top)))"
  ((WIN_X + WIN_WIDTH + right <= width && WIN_Y + WIN_HEIGHT + bottom <= height)) ||
    fail "the frame ends off the screen at ($((WIN_X + WIN_WIDTH + right)), $((WIN_Y + WIN_HEIGHT + bottom)))"
  # «Выход» is at units 616-666 x 401-417 of the window's 673 x 423, at any
  # scale.
  xdotool mousemove --sync $((WIN_X + WIN_WIDTH * 641 / 673)) $((WIN_Y + WIN_HEIGHT * 409 / 423)) click 1
  expect_normal_end
  printf 'a\r\n' | expect_file
}

case_window_with_its_frame_fits_a_1024x768_screen() {
  (
    trap 'end_programs; xsession_stop' EXIT
    window_fits_screen 1024x768 96
    # In the stand-in font the client area is 673 x 423 units of 6 x 13 px,
    # the template's own size.
    if fc-list | grep -q 'DejaVuSansCondensed\.ttf'; then
      ((WIN_WIDTH >= 1008 && WIN_WIDTH <= 1012 && WIN_HEIGHT >= 685 && WIN_HEIGHT <= 689)) ||
        fail "client area ${WIN_WIDTH}x${WIN_HEIGHT}, not about 1010x687"
    fi
  )
}

case_window_fits_a_laptop_at_125_percent() {
  (
    trap 'end_programs; xsession_stop' EXIT
    window_fits_screen 1366x768 120
  )
}

case_window_fits_an_800x600_screen() {
  (
    trap 'end_programs; xsession_stop' EXIT
    window_fits_screen 800x600 96
  )
}

case_window_fits_1024x768_without_the_condensed_font() {
  (
    trap 'end_programs; xsession_stop' EXIT
    window_fits_screen 1024x768 96 hidden
  )
}

case_save_keeps_a_line_another_program_appended() {
  printf 'b\r\n' >velunar.txt
  start_main_window
  type_text 'a'
  keys Return
  printf 'c\r\n' >>velunar.txt
  press_save
  printf 'a\r\nb\r\nc\r\n' | expect_file_soon
  keys Escape
  expect_normal_end
  printf 'a\r\nb\r\nc\r\n' | expect_file
}

case_sigterm_writes_the_file() {
  printf 'b\r\n' >velunar.txt
  start_main_window
  type_text 'a'
  keys Return
  kill -TERM "$PROGRAM_PID"
  expect_normal_end
  printf 'a\r\nb\r\n' | expect_file
}

# The end of the desktop session (Wine's wineboot sends the log-off's
# WM_QUERYENDSESSION and WM_ENDSESSION) saves like Exit, with no box.
case_session_end_writes_the_file() {
  printf 'b\r\n' >velunar.txt
  start_main_window
  type_text 'a'
  keys Return
  env LC_ALL=ru_RU.UTF-8 wine wineboot --end-session >>program.log 2>&1
  expect_normal_end
  printf 'a\r\nb\r\n' | expect_file
}

# A folder whose name is Cyrillic, with a space: the file is found, held
# and rewritten there.
case_folder_with_a_cyrillic_name() {
  mkdir 'Мои документы'
  cd 'Мои документы'
  printf 'Борис\r\n' | to_cp1251 >velunar.txt
  start_main_window
  type_text 'Анна'
  keys Return Escape
  expect_normal_end
  printf 'Анна\r\nБорис\r\n' | to_cp1251 | expect_file
}

# An entry of 100,000 bytes, far longer than the field takes, goes through
# the window and back into the file whole.
case_a_100000_byte_entry_is_written_back_whole() {
  {
    printf 'a\r\n'
    head -c 100000 /dev/zero | tr '\0' x
    printf '\r\nz\r\n'
  } >before.bin
  cp before.bin velunar.txt
  start_main_window
  keys Escape
  expect_normal_end
  expect_file <before.bin
}

# Exit over a read-only file: the report, then the question. «Нет» (the
# default) keeps the window; «Да» ends it without writing, with status 1.
case_failed_exit_asks_before_closing_without_saving() {
  printf 'b\r\n' >velunar.txt
  chmod 444 velunar.txt
  cp velunar.txt before.bin
  start_main_window
  type_text 'a'
  keys Return
  local answer
  for answer in no yes; do
    keys Escape
    wait_window "$PROGRAM_PID" "^$APP_TITLE\$"
    focus_window "$WINDOW"
    keys Return # the report
    sleep 0.5
    wait_window "$PROGRAM_PID" "^$APP_TITLE\$"
    focus_window "$WINDOW"
    if [[ $answer == no ]]; then
      keys Return # «Нет», the default
      wait_no_window "$PROGRAM_PID" "^$APP_TITLE\$"
      sleep 0.5
      kill -0 "$PROGRAM_PID" 2>/dev/null || fail "«Нет» ended the program"
      wait_window "$PROGRAM_PID" '^Велунар$'
      focus_window "$MAIN"
    else
      keys shift+Tab space # «Да»
    fi
  done
  wait_exit "$PROGRAM_PID"
  [[ $EXIT_STATUS -eq 1 ]] || fail "the program ended with status $EXIT_STATUS, expected 1"
  expect_file <before.bin
}

# Under a locale that is not UTF-8 the old-style title property (WM_NAME),
# which window lists and older tools read, is still the right text.
case_title_properties_are_right_under_the_c_locale() {
  LC_ALL=C LANG=C "$EXE" >>program.log 2>&1 &
  PROGRAM_PID=$!
  PROGRAM_PIDS+=("$PROGRAM_PID")
  wait_window "$PROGRAM_PID" '^Велунар$'
  MAIN=$WINDOW
  local property
  for property in WM_NAME _NET_WM_NAME; do
    [[ $(LC_ALL=C.UTF-8 xprop -id "$MAIN" -notype "$property") == "$property = \"Велунар\"" ]] ||
      fail "$property reads $(LC_ALL=C.UTF-8 xprop -id "$MAIN" -notype "$property")"
  done
  focus_window "$MAIN"
  keys Escape
  expect_normal_end
}

# ---------------------------------------------------------------------------

# Whether case NAME runs on the system under test. Under Wine: a missing
# display variable and a signal mean there what they mean to Wine, not to
# the program; the window's size on small screens is a matter of Qt's fonts
# on Linux (Windows sizes dialogs in its own units), and each of those
# cases starts an X server of its own; the Latin layout and the title
# properties are Qt's handling. The end of the session is tested through
# Windows' own messages, which only Wine can send.
is_for_this_system() {
  if [[ -n $WINE ]]; then
    case $1 in
      without_a_display_* | sigterm_* | window_fits_* | window_with_its_frame_* | \
        latin_layout_* | title_properties_*) return 1 ;;
    esac
  else
    case $1 in
      session_end_*) return 1 ;;
    esac
  fi
  return 0
}

run_case() {
  local name=$1 dir=$WORK/cases/$1
  mkdir -p "$dir"
  # Every case starts in the session's layouts, whatever the one before
  # switched to.
  setxkbmap -layout "${XSESSION_LAYOUTS:-ru,us}"
  (
    cd "$dir" || exit 1
    trap end_case EXIT
    trap 'exit 130' INT TERM
    set -e
    "case_$name"
  )
  local status=$?
  if [[ $status -eq 0 ]]; then
    echo "PASS $name"
    return 0
  fi
  echo "FAIL $name"
  if [[ -s $dir/program.log ]]; then
    echo "    program output:"
    sed 's/^/      /' "$dir/program.log" | tail -n 20
  fi
  if [[ -n $ARTIFACTS ]]; then
    mkdir -p "$ARTIFACTS/$name"
    cp -r "$dir/." "$ARTIFACTS/$name/"
  fi
  return 1
}

passed=0
failed=0
tools=(build e2e)
[[ -z $WINE ]] || tools=(windows e2e)
if ! xsession_require_tools "${tools[@]}" || ! xsession_start "$WORK/x"; then
  echo "could not start the X session"
  echo "0 passed, 1 failed"
  exit 1
fi
# Under Wine: one Wine server for the whole run, on this display, with
# Wine's own services started here once rather than by the first case.
if [[ -n $WINE ]] && ! { wineserver -p && env LC_ALL=ru_RU.UTF-8 wine wineboot; } >"$WORK/wine.log" 2>&1; then
  echo "could not start Wine in $WINEPREFIX:"
  cat "$WORK/wine.log"
  echo "0 passed, 1 failed"
  exit 1
fi

cases=$(declare -F | awk '{ print $3 }' | sed -n 's/^case_//p')
# Run in the order the cases are written in this file.
mapfile -t ordered < <(grep -o '^case_[a-z0-9_]*' "$0" | sed 's/^case_//')
for name in "${ordered[@]}"; do
  grep -qx "$name" <<<"$cases" || continue
  is_for_this_system "$name" || continue
  # shellcheck disable=SC2053
  [[ $name == $PATTERN ]] || continue
  # Neither in an `if` nor before `||`: either would switch off `set -e`
  # inside the case.
  run_case "$name"
  # shellcheck disable=SC2181
  if [[ $? -eq 0 ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
