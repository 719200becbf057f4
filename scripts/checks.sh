# Sourced by the check scripts: run every check, show each, and fail at the
# end when any of them failed, so that one run reports all that is wrong.
#
#   check COMMAND [ARG...]   runs the command, marks a failure
#   fail TEXT                marks a failure with TEXT
#   end_checks WHAT          says "WHAT: all checks passed" or fails
status=0

check() {
  echo "== $*"
  if ! "$@"; then
    echo "FAILED: $*" >&2
    status=1
  fi
}

fail() {
  echo "FAILED: $*" >&2
  status=1
}

end_checks() {
  if [[ $status -eq 0 ]]; then
    echo "$1: all checks passed"
  fi
  exit $status
}
