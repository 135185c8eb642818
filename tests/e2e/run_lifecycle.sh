#!/usr/bin/env bash
# Start on an empty folder (message mode), a second copy ends at once, and
# each way of ending ends the process with exit code 0: a key, a one-pixel
# pointer move, SIGTERM on a running show and on a show whose clock stopped.
source "$(dirname "$0")/common.sh"

printf '[Image]\nDispFolder=%s\n' "$WORK/pics" > "$INI"
"$SLIDORA" /s 2>>"$LOG" & PID=$!
wait_for 10 saver_window_shown || fail "no saver window (process $(kill -0 $PID 2>/dev/null && echo running || echo gone))"
start=$SECONDS
timeout 5 "$SLIDORA" /s || fail "second copy did not end cleanly"
[ $((SECONDS - start)) -le 2 ] || fail "second copy took too long"
xdotool key space
expect_exit0 $PID 10
echo "ok: window, second copy, key"

for n in 1 2 3 4; do "$HELPER" framed-bmp "$WORK/pics/p$n.bmp" $((200 * n)) $((150 * n)); done
printf '[Image]\nDispFolder=%s\nSleepTime=250\nMiniSize=5\n' "$WORK/pics" > "$INI"
# The pointer rests at the screen's centre, over the centred picture, where a
# move reaches the window only through the cursor check after a later
# picture (four pictures, one every 200 ms; the check acts after two of
# them, so within about 600 ms).
"$SLIDORA" /s 2>>"$LOG" & PID=$!
wait_for 10 saver_window_shown || fail "no saver window (process $(kill -0 $PID 2>/dev/null && echo running || echo gone))"
xdotool mousemove_relative 1 0
expect_exit0 $PID 10
echo "ok: one-pixel move"

"$SLIDORA" /s 2>>"$LOG" & PID=$!
wait_for 10 saver_window_shown || fail "no saver window (process $(kill -0 $PID 2>/dev/null && echo running || echo gone))"
kill -TERM $PID
expect_exit0 $PID 10
echo "ok: SIGTERM while running"

# SleepTime 3 gives a tick interval of 0: the clock never runs.
printf '[Image]\nDispFolder=%s\nSleepTime=3\n' "$WORK/pics" > "$INI"
"$SLIDORA" /s 2>>"$LOG" & PID=$!
wait_for 10 saver_window_shown || fail "no saver window (process $(kill -0 $PID 2>/dev/null && echo running || echo gone))"
kill -TERM $PID
expect_exit0 $PID 10
echo "ok: SIGTERM with the clock stopped"
