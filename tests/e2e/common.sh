# Shared by the whole-program runs. Each run gets its own copy of the program
# (so its settings file is its own) and its own lock folder.
set -euo pipefail
SLIDORA_BUILT=$1
HELPER=$2
WORK=$(mktemp -d /tmp/slidora-e2e-XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
BUILD_DIR=$(dirname "$SLIDORA_BUILT")
mkdir -p "$WORK/bin" "$WORK/run" "$WORK/pics" "$WORK/music"
chmod 700 "$WORK/run"
cp "$SLIDORA_BUILT" "$BUILD_DIR"/libvbmp3.so* "$BUILD_DIR"/libresize32.so "$WORK/bin/"
SLIDORA="$WORK/bin/slidora"
INI="$WORK/bin/slidora.ini"
export XDG_RUNTIME_DIR="$WORK/run"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# The programs' own messages, shown when a run fails.
LOG="$WORK/program.log"
: > "$LOG"
fail() {
  echo "FAIL: $*" >&2
  if [ -s "$LOG" ]; then echo "--- program output:" >&2; tail -n 40 "$LOG" >&2; fi
  exit 1
}

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds.
wait_for() {
  local limit=$1; shift
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

saver_window_shown() { xdotool search --onlyvisible --name '^SlidoraSaver$' >/dev/null 2>&1 && sleep 0.3; }
