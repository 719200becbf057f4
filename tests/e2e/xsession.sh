# shellcheck shell=bash
# A private X session for driving the program as a user would: Xvfb on a
# display number the server picks itself, the openbox window manager, and a
# Russian keyboard with English as the second layout. Used by tests/e2e/run.sh
# and scripts/screenshot.sh. Source this file, call xsession_start DIR, and
# call xsession_stop from an EXIT trap so that the servers go away whatever
# happens.
#
# Everything runs with HOME and the XDG directories inside DIR, so a run
# leaves nothing behind in the real home directory.

XSESSION_XVFB_PID=
XSESSION_WM_PID=

# The directory of this file, taken when it is sourced: scripts/install-deps.sh
# is found from it, whatever the caller's working directory.
XSESSION_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Installs the Debian packages of the X server, the window manager, the
# tools that drive them and the program's fonts when one is missing, from
# the project's one package list: by default its "build" packages, which
# hold the fonts and Qt's X11 platform plugin, and its "e2e" packages; a
# caller names other jobs instead ("windows e2e" for the Windows build).
# Its one line of output goes to stderr, so that a caller's stdout carries
# only its own results.
xsession_require_tools() {
  (($#)) || set -- build e2e
  "$XSESSION_DIR/../../scripts/install-deps.sh" "$@" >&2
}

# Polls a command until it succeeds or SECONDS (may be fractional) pass.
xsession_poll() {
  local seconds=$1
  shift
  local tries
  tries=$(awk -v s="$seconds" 'BEGIN { print int(s * 20) + 1 }')
  while ((tries-- > 0)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

# Starts the X server and the window manager; exports DISPLAY. The screen is
# XSESSION_SCREEN pixels (WIDTHxHEIGHT), 1280x1024 unless that is set.
xsession_start() {
  local dir=$1
  mkdir -p "$dir/home" "$dir/runtime" "$dir/config" "$dir/cache" "$dir/data"
  chmod 700 "$dir/runtime"
  export HOME=$dir/home XDG_RUNTIME_DIR=$dir/runtime XDG_CONFIG_HOME=$dir/config \
    XDG_CACHE_HOME=$dir/cache XDG_DATA_HOME=$dir/data
  # The program must find the X server, as on a desktop, not Qt's offscreen
  # platform that unit tests may have left in the environment.
  unset QT_QPA_PLATFORM WAYLAND_DISPLAY DISPLAY

  # -displayfd lets the server choose a free display number and tell us
  # once it accepts connections, so parallel runs never collide. -noreset:
  # by default the server resets whenever its last client disconnects,
  # which would undo the keyboard layout set below and refuse the window
  # manager's connection while it resets.
  : >"$dir/display"
  Xvfb -displayfd 3 -noreset -screen 0 "${XSESSION_SCREEN:-1280x1024}x24" -nolisten tcp 3>"$dir/display" \
    >"$dir/xvfb.log" 2>&1 &
  XSESSION_XVFB_PID=$!
  if ! xsession_poll 20 grep -q '[0-9]' "$dir/display"; then
    echo "Xvfb did not start:" >&2
    cat "$dir/xvfb.log" >&2
    return 1
  fi
  DISPLAY=:$(tr -dc '0-9' <"$dir/display")
  export DISPLAY

  # Russian first: the window's mnemonics are Cyrillic letters (Alt+й ...).
  # With Cyrillic in the active layout xdotool presses them without
  # switching layouts, and Qt, which matches shortcuts against the keyboard
  # state at the time it delivers the key, sees the letter that was pressed.
  # Latin text is typed through the second layout; typed text is unaffected.
  # XSESSION_LAYOUTS gives other layouts (Wine wants us,ru: see
  # tests/e2e/run.sh).
  setxkbmap -layout "${XSESSION_LAYOUTS:-ru,us}" || return 1

  # With XSESSION_NO_WM_KEYS the window manager binds no keys at all, so
  # that Alt+Space and the like reach the program (Wine's windows leave
  # them to the window manager otherwise).
  local config=()
  if [[ -n ${XSESSION_NO_WM_KEYS:-} ]]; then
    cat >"$dir/openbox-rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <keyboard></keyboard>
</openbox_config>
XML
    config=(--config-file "$dir/openbox-rc.xml")
  fi
  openbox --sm-disable "${config[@]}" >"$dir/openbox.log" 2>&1 &
  XSESSION_WM_PID=$!
  # openbox sets the check window on the root once it manages the screen.
  if ! xsession_poll 20 xsession_wm_ready; then
    echo "openbox did not start on display $DISPLAY:" >&2
    cat "$dir/openbox.log" "$dir/xvfb.log" >&2
    return 1
  fi
}

xsession_wm_ready() {
  xprop -root -notype _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Stops the window manager and the X server that xsession_start started,
# by their process ids; one that ignores the request is killed after 5 s.
xsession_stop() {
  local pid
  for pid in $XSESSION_WM_PID $XSESSION_XVFB_PID; do
    kill "$pid" 2>/dev/null || continue
    xsession_poll 5 xsession_gone "$pid" || kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  XSESSION_WM_PID=
  XSESSION_XVFB_PID=
}

# True when process PID has ended. A child that has ended but has not yet
# been waited for still answers kill -0, so ask ps for its state as well.
xsession_gone() {
  ! kill -0 "$1" 2>/dev/null || [[ $(ps -o stat= -p "$1" 2>/dev/null) == Z* ]]
}
