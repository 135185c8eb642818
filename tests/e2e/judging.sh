# shellcheck shell=bash
# How every whole-program run (Linux and Windows) judges what it sees.
# Sourced after LOG names the file holding the programs' own messages, which
# a failure shows.

fail() {
  echo "FAIL: $*" >&2
  if [ -s "$LOG" ]; then echo "--- program output:" >&2; tail -n 40 "$LOG" >&2; fi
  exit 1
}

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds.
wait_for() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
}

# Waits for process $1 to end within $2 seconds and checks its exit code 0.
# The limits only catch a program that does not end at all: how fast it
# ends is for a benchmark to measure, not for a loaded test machine.
expect_exit0() {
  local pid=$1 limit=$2
  wait_for "$limit" bash -c "! kill -0 $pid" || fail "process still running after ${limit}s"
  local rc=0
  wait "$pid" || rc=$?
  [ "$rc" -eq 0 ] || fail "exit code $rc"
}
