#!/usr/bin/env bash
# Under an idle trigger: xautolock starts the configured locker command (with
# standard output and error closed) on -locknow; the show covers the screen
# and a key ends it.
source "$(dirname "$0")/common.sh"
command -v xautolock >/dev/null || { echo "SKIP: xautolock is not installed"; exit 0; }

"$HELPER" framed-bmp "$WORK/pics/only.bmp" 1024 768
printf '[Image]\nDispFolder=%s\nSleepTime=1000\nMiniSize=1\n' "$WORK/pics" > "$INI"
is_colour() { # X Y R G B with a tolerance of 40 per channel
  read -r r g b < <("$HELPER" pixel "$1" "$2")
  [ $(( (r-$3)*(r-$3) < 1600 && (g-$4)*(g-$4) < 1600 && (b-$5)*(b-$5) < 1600 )) -eq 1 ]
}
ours_running() { pgrep -f "^$SLIDORA /s" >/dev/null; }

xautolock -time 1 -locker "$SLIDORA /s" 2>>"$LOG" & TRIGGER=$!
# A -locknow that reaches the trigger before it watches the display is lost
# (seen on a loaded machine), so it is sent again until the show runs.
lock_now() { xautolock -locknow >/dev/null 2>&1 && wait_for 2 ours_running; }
wait_for 20 lock_now || fail "xautolock did not start the show"
wait_for 10 is_colour 512 384 255 0 0 || fail "the show is not on screen: $("$HELPER" pixel 512 384)"
echo "ok: -locknow started the show"
xdotool key space
wait_for 3 bash -c "! pgrep -f '^$SLIDORA /s'" || fail "a key did not end the show"
echo "ok: a key ended it"
kill $TRIGGER
