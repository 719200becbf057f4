# shellcheck shell=bash
# One line per step on the terminal, everything else in a log: sourced by
# scripts/run.sh and scripts/test.sh. quiet_begin NAME opens the log
# build/NAME.log (its path is printed, and scripts/install-deps.sh appends
# apt's output to it); quiet_step TEXT COMMAND... prints TEXT and runs the
# command with its output in the log. When a step fails, the end of the log
# is shown and the script ends with the command's status.
# VELUNAR_VERBOSE=1 shows every command's output as it comes instead; under
# CI (CI=true) a failure shows the whole log, since nobody can open it there.

quiet_begin() {
  mkdir -p "$top/build"
  export VELUNAR_LOG=$top/build/$1.log
  : >"$VELUNAR_LOG"
  echo "Log: $VELUNAR_LOG"
}

quiet_step() {
  local text=$1 status=0
  shift
  echo "$text"
  echo "== $text: $*" >>"$VELUNAR_LOG"
  if [[ ${VELUNAR_VERBOSE:-0} == 1 ]]; then
    "$@" 2>&1 | tee -a "$VELUNAR_LOG" || status=${PIPESTATUS[0]}
  else
    "$@" >>"$VELUNAR_LOG" 2>&1 || status=$?
  fi
  if ((status != 0)); then
    if [[ ${CI:-} == true ]]; then
      echo "FAILED: $text (exit status $status). $VELUNAR_LOG:" >&2
      cat "$VELUNAR_LOG" >&2
    else
      echo "FAILED: $text (exit status $status). The end of $VELUNAR_LOG:" >&2
      tail -n 60 "$VELUNAR_LOG" >&2
    fi
    exit "$status"
  fi
}
