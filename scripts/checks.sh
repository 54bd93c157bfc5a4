# Sourced by the script tests: check WHAT COMMAND... runs the command and counts a failure.
# shellcheck shell=bash
failures=0
check() { # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}
