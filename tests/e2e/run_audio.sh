#!/usr/bin/env bash
# A show with an audio folder plays its music: SDL's disk driver captures
# what the MP3 playback library sends to the device.
export SDL_AUDIODRIVER=disk
source "$(dirname "$0")/common.sh"
export SDL_DISKAUDIOFILE="$WORK/captured.raw"

"$HELPER" framed-bmp "$WORK/pics/a.bmp" 640 480
"$HELPER" tone-wav "$WORK/music/tone.wav" 2
printf '[Image]\nDispFolder=%s\nSleepTime=500\n[Audio]\nAudioFolder=%s\nVolume=100\n' "$WORK/pics" "$WORK/music" > "$INI"
"$SLIDORA" /s 2>>"$LOG" & PID=$!
wait_for 10 saver_window_shown || fail "no saver window"
has_sound() {
  read -r bytes peak16 peakf < <("$HELPER" peak "$SDL_DISKAUDIOFILE")
  [ "$bytes" -gt 44100 ] && { [ "$peak16" -gt 4000 ] || awk -v p="$peakf" 'BEGIN { exit !(p > 0.1) }'; }
}
wait_for 10 has_sound || fail "no sound captured: $("$HELPER" peak "$SDL_DISKAUDIOFILE" 2>&1)"
kill -TERM $PID
expect_exit0 $PID 10
echo "ok: music captured ($("$HELPER" peak "$SDL_DISKAUDIOFILE"))"

# No audio device at all: the pictures still run.
export SDL_AUDIODRIVER=no-such-driver
"$SLIDORA" /s 2>>"$LOG" & PID=$!
wait_for 10 saver_window_shown || fail "no saver window without audio"
red_centre() { read -r r g b < <("$HELPER" pixel 512 384); [ "$r" -gt 200 ] && [ "$g" -lt 60 ] && [ "$b" -lt 60 ]; }
wait_for 10 red_centre || fail "no picture without an audio device"
kill -TERM $PID
expect_exit0 $PID 10
echo "ok: pictures without an audio device"
