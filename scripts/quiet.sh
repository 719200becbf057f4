# shellcheck shell=bash
# One line per step on the terminal, everything else in a log: sourced by
# scripts/run.sh, scripts/test.sh and scripts/package.sh, after they set
# $top to the top of the tree.
#
#   quiet_begin NAME [DIR]    opens the log DIR/NAME.log (DIR is build/ at the
#                             top of the tree unless given) and prints its
#                             path; scripts/install-deps.sh appends apt's
#                             output to it
#   quiet_step TEXT CMD...    prints TEXT and runs the command with its output
#                             in the log
#   quiet_build TEXT CMD...   the same for a build through ninja, with ninja's
#                             step count ("[123/456]") shown after TEXT
#   as_owner CMD...           (an array: "${as_owner[@]}" CMD...) runs a
#                             command as the owner of the tree; see below
#
# When a step fails, the end of the log is shown and the script ends with the
# command's status. VELUNAR_VERBOSE=1 shows every command's output as it
# comes instead; under CI (CI=true) a failure shows the whole log, since
# nobody can open it there.

# Run by root in a tree that belongs to someone else (the Quick start with
# sudo, in a user's own clone), the scripts install packages as root and do
# everything else as the tree's owner: the build directories and logs are
# then the owner's, and the owner's own later runs can write them. setpriv
# (util-linux, on every Debian system) changes the user without a login
# session; HOME, USER and LOGNAME follow the user, as Qt and the X
# authority file expect, and DISPLAY and the rest of the environment stay.
: "${top:?quiet.sh needs \$top, the top of the tree}"
as_owner=()
quiet_owner=
if [[ $(id -u) -eq 0 && $(stat -c %u "$top") -ne 0 ]]; then
  quiet_owner=$(stat -c %u:%g "$top")
  as_owner=(setpriv "--reuid=${quiet_owner%:*}" "--regid=${quiet_owner#*:}")
  if quiet_account=$(getent passwd "${quiet_owner%:*}"); then
    IFS=: read -r quiet_name _ _ _ _ quiet_home _ <<<"$quiet_account"
    as_owner+=(--init-groups -- env "HOME=$quiet_home" "USER=$quiet_name" "LOGNAME=$quiet_name")
  else
    # A user id with no account (a tree copied from another machine, say)
    # has no groups to take and no home to name.
    as_owner+=(--clear-groups --)
  fi
fi

quiet_begin() {
  local dir=${2:-$top/build}
  "${as_owner[@]}" mkdir -p "$dir"
  # A build directory that an earlier run as root left behind belongs to
  # root; give what root made there back to the tree's owner, or the
  # owner's build could not write it.
  if [[ -n $quiet_owner ]]; then
    find "$dir" -xdev -user 0 -exec chown -h "$quiet_owner" {} +
  fi
  export VELUNAR_LOG=$dir/$1.log
  "${as_owner[@]}" truncate -s 0 "$VELUNAR_LOG"
  echo "Log: $VELUNAR_LOG"
}

quiet_step() {
  local text=$1 status=0
  shift
  echo "$text"
  echo "== $text: $*" >>"$VELUNAR_LOG"
  if [[ ${VELUNAR_VERBOSE:-0} == 1 ]]; then
    "${as_owner[@]}" "$@" 2>&1 | tee -a "$VELUNAR_LOG" || status=${PIPESTATUS[0]}
  else
    "${as_owner[@]}" "$@" >>"$VELUNAR_LOG" 2>&1 || status=$?
  fi
  ((status == 0)) || quiet_failed "$text" "$status"
}

quiet_build() {
  local text=$1 status=0
  shift
  if [[ ${VELUNAR_VERBOSE:-0} == 1 ]]; then
    quiet_step "$text" "$@"
    return
  fi
  echo "== $text: $*" >>"$VELUNAR_LOG"
  # The filter writes the build's output to the log and the progress to
  # what was standard output (descriptor 3).
  "${as_owner[@]}" "$@" 2>&1 | quiet_progress "$text" 3>&1 >>"$VELUNAR_LOG" ||
    status=${PIPESTATUS[0]}
  ((status == 0)) || quiet_failed "$text" "$status"
}

# Copies standard input to standard output and shows TEXT on descriptor 3
# with the step count of each ninja status line ("[12/345] Building ...").
# On a terminal the count changes in place on one line. Elsewhere (a CI log,
# a file) a line per compiler step would bury the rest, so only a line at
# each quarter of the build is printed.
quiet_progress() {
  local text=$1 line step total last_total=0 quarter shown=0 live=false
  [[ -t 3 && ${TERM:-dumb} != dumb ]] && live=true
  if $live; then
    printf '%s' "$text" >&3
  else
    echo "$text" >&3
  fi
  while IFS= read -r line || [[ -n $line ]]; do
    printf '%s\n' "$line"
    [[ $line =~ ^\[([0-9]+)/([0-9]+)\]\  ]] || continue
    step=${BASH_REMATCH[1]} total=${BASH_REMATCH[2]}
    ((total > 0)) || continue
    if $live; then
      # \033[K clears what a longer count left, when CMake's re-run of
      # itself starts ninja's count over.
      printf '\r%s [%d/%d]\033[K' "$text" "$step" "$total" >&3
    else
      ((total == last_total)) || shown=0 last_total=$total
      quarter=$((step * 4 / total))
      if ((quarter > shown)); then
        shown=$quarter
        echo "  $((quarter * 25))% ($step/$total)" >&3
      fi
    fi
  done
  if $live; then
    printf '\n' >&3
  fi
}

quiet_failed() {
  local text=$1 status=$2
  if [[ ${CI:-} == true ]]; then
    echo "FAILED: $text (exit status $status). $VELUNAR_LOG:" >&2
    cat "$VELUNAR_LOG" >&2
  else
    echo "FAILED: $text (exit status $status). The end of $VELUNAR_LOG:" >&2
    tail -n 60 "$VELUNAR_LOG" >&2
  fi
  exit "$status"
}
