#!/usr/bin/env bash
# Guest mode: the full show inside a window the test makes, at that window's
# size, following a resize; keys, buttons and pointer moves leave it running,
# SIGTERM ends it with exit code 0, and so does the host window going away. Two host windows take
# two copies at once.
source "$(dirname "$0")/common.sh"

"$HELPER" framed-bmp "$WORK/pics/only.bmp" 400 300
printf '[Image]\nDispFolder=%s\nSleepTime=30000\nMiniSize=1\n[Text]\nFileName=2\n' "$WORK/pics" > "$INI"
exec 3> >("$HELPER" host-window 400 300 > "$WORK/host.id")
wait_for 5 test -s "$WORK/host.id" || fail "no host window"
HOST=$(cat "$WORK/host.id")

is_colour() { # X Y R G B with a tolerance of 40 per channel
  read -r r g b < <("$HELPER" pixel "$1" "$2")
  [ $(( (r-$3)*(r-$3) < 1600 && (g-$4)*(g-$4) < 1600 && (b-$5)*(b-$5) < 1600 )) -eq 1 ]
}
running() { kill -0 "$1" 2>/dev/null; }

# The daemon's settings program appends the window to the configured command.
"$SLIDORA" /s --window-id "$HOST" 3>&- 2>>"$LOG" & PID=$!
# The host is at (100, 100): the picture fills it, its frame at the edges.
wait_for 10 is_colour 300 250 255 0 0 || fail "picture not inside the host: $("$HELPER" pixel 300 250)"
is_colour 104 250 0 0 255 || fail "picture's frame not at the host's left edge: $("$HELPER" pixel 104 250)"
is_colour 600 500 0 0 0 || fail "drawn outside the host: $("$HELPER" pixel 600 500)"
xdotool mousemove 300 250 mousemove 320 260 click 1 key a key Escape
wait_for 2 bash -c "! kill -0 $PID" && fail "input ended the guest"
kill -TERM $PID
expect_exit0 $PID 10
echo "ok: the show inside the host's window, input left to the host, SIGTERM ends it"

# A wider host: the next picture (one every 0.8 s) is limited by the height
# and centred, so the frame moves from the host's left edge to 100 px in.
printf '[Image]\nDispFolder=%s\nSleepTime=1000\nMiniSize=1\n' "$WORK/pics" > "$INI"
"$SLIDORA" --window-id "$HOST" 3>&- 2>>"$LOG" & PID=$!
wait_for 10 is_colour 104 250 0 0 255 || fail "picture not at the host's left edge: $("$HELPER" pixel 104 250)"
is_colour 204 250 255 0 0 || fail "picture not filling the host: $("$HELPER" pixel 204 250)"
xdotool windowsize "$HOST" 600 300
wait_for 5 is_colour 204 250 0 0 255 || fail "resize not followed: $("$HELPER" pixel 204 250)"
is_colour 400 250 255 0 0 || fail "picture not inside the wider host: $("$HELPER" pixel 400 250)"
kill -TERM $PID
expect_exit0 $PID 10
xdotool windowsize "$HOST" 400 300
printf '[Image]\nDispFolder=%s\nSleepTime=30000\nMiniSize=1\n[Text]\nFileName=2\n' "$WORK/pics" > "$INI"
echo "ok: a resize of the host followed at the next picture"

# The locker's way: -root and the window in decimal; a second host window
# runs a second copy beside it, and only one of the two plays the music.
exec 4> >(exec 3>&-; exec "$HELPER" host-window 200 150 > "$WORK/host2.id")
wait_for 5 test -s "$WORK/host2.id" || fail "no second host window"
HOST2=$(cat "$WORK/host2.id")
# Both have music to play; SDL's disk driver writes a file when a copy opens
# the audio device.
"$HELPER" tone-wav "$WORK/music/tone.wav" 2
printf '[Audio]\nAudioFolder=%s\n' "$WORK/music" >> "$INI"
export SDL_AUDIODRIVER=disk
XSCREENSAVER_WINDOW=$((HOST)) SDL_DISKAUDIOFILE="$WORK/audio1.raw" "$SLIDORA" -root 3>&- 4>&- 2>>"$LOG" & PID=$!
XSCREENSAVER_WINDOW=$((HOST2)) SDL_DISKAUDIOFILE="$WORK/audio2.raw" "$SLIDORA" -root 3>&- 4>&- 2>>"$LOG" & PID2=$!
# Both hosts stand at (100, 100); the second, smaller one on top.
wait_for 10 is_colour 450 350 255 0 0 || fail "first copy not drawn: $("$HELPER" pixel 450 350)"
wait_for 10 is_colour 200 175 255 0 0 || fail "second copy not drawn: $("$HELPER" pixel 200 175)"
running $PID2 || fail "the second copy for another window ended"
# The show starts its audio before it is drawn: both have decided by now.
wait_for 10 bash -c "[ -s '$WORK/audio1.raw' ] || [ -s '$WORK/audio2.raw' ]" || fail "neither copy plays the music"
[ -e "$WORK/audio1.raw" ] && [ -e "$WORK/audio2.raw" ] && fail "both copies opened the audio device"
# Closing the host's end of the pipe makes the helper destroy its window.
exec 3>&-
expect_exit0 $PID 10
running $PID2 || fail "the second copy ended with the first host"
kill -TERM $PID2
expect_exit0 $PID2 10
echo "ok: one copy per host window, one of them plays; the host window going away ends its copy"
