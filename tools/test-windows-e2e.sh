#!/usr/bin/env bash
# Whole-program runs of the Windows saver under Wine, judged by exit codes
# and by pixels read back from the X screen (xwd), as the Linux runs are:
#   - "/s" on a folder holding one 640 x 480 picture shows it enlarged to
#     960 x 720 at (33, 25) of the 1026 x 770 window on black;
#   - a second copy ends at once, exit code 0, and leaves the first running;
#   - a key press ends the show, exit code 0;
#   - an 8-bit picture shows in its palette's colours;
#   - "/p HWND" makes its window a disabled child of a small Win32 program's
#     host window, filling its client area, and ends when the host goes away
#     (also when it is killed);
#   - "/a" ends with exit code 0 after the system's password-change hook.
#
# Usage: tools/test-windows-e2e.sh BUILD_DIR WINE_LOADER
# Expects what tools/test-windows.sh sets up: WINEPREFIX (booted, with a
# wineserver kept running), WINEDEBUG, WINEDLLOVERRIDES and a 1024 x 768
# DISPLAY without a window manager.
set -euo pipefail
build=$1
loader=$2
WORK=$(mktemp -d /tmp/slidora-win-e2e-XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
mkdir -p "$WORK/bin" "$WORK/pics"
cp "$build/Slidora.scr" "$build/RESIZE32.DLL" "$build/VBMP3.dll" "$WORK/bin/"
SCR=$WORK/bin/Slidora.scr
INI=$WORK/bin/slidora.ini
HOST=$build/slidora_e2e_host.exe
LOG=$WORK/program.log
: >"$LOG"
# A crash ends the program at once instead of waiting in Wine's debugger.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winedbg.exe=d"

# shellcheck source=tests/e2e/judging.sh
source "$(dirname "$0")/../tests/e2e/judging.sh"

# The Linux path as Wine shows it: drive Z:, backslashes.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# shot takes a screenshot; pixel X Y prints "R G B" of the last one. xwd
# writes its header big-endian; the pixels of a 24-bit Xvfb screen are 32-bit
# words, least significant byte first (blue, green, red, unused).
shot() { xwd -root -silent >"$WORK/shot.xwd"; }
pixel() {
  local -a h
  # shellcheck disable=SC2207
  h=($(od -An -tu4 --endian=big -N100 "$WORK/shot.xwd"))
  [ "${h[11]}" -eq 32 ] && [ "${h[7]}" -eq 0 ] || fail "unexpected screen format: ${h[*]}"
  local offset=$((h[0] + h[19] * 12 + $2 * h[12] + $1 * 4))
  local b g r
  read -r b g r < <(od -An -tu1 -j "$offset" -N3 "$WORK/shot.xwd")
  echo "$r $g $b"
}
# is_colour X Y R G B: the pixel of the last shot within 40 of each channel.
is_colour() {
  local r g b
  read -r r g b < <(pixel "$1" "$2")
  [ $(((r - $3) * (r - $3) < 1600 && (g - $4) * (g - $4) < 1600 && (b - $5) * (b - $5) < 1600)) -eq 1 ]
}
shows() { shot && is_colour "$@"; }
expect_colour() { # X Y R G B WHAT
  is_colour "$1" "$2" "$3" "$4" "$5" || fail "$6: ($1, $2) is $(pixel "$1" "$2")"
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# --- The full-screen show, a second copy, the key press.
"$loader" "$HOST" picture "$(winpath "$WORK/pics/only.bmp")" 640 480 || fail "no test picture"
printf '[Image]\r\nDispFolder=%s\r\nSleepTime=30000\r\n[Text]\r\nFileName=2\r\n' \
  "$(winpath "$WORK/pics")" >"$INI"
# What an earlier run left on the screen must not pass for the picture.
shot
! is_colour 512 384 255 0 0 || fail "the screen is red before the show starts"
"$loader" "$SCR" /s >>"$LOG" 2>&1 &
PID=$!
wait_for 60 shows 512 384 255 0 0 || fail "the picture's red is not at the centre: $(pixel 512 384)"
# The red picture has an 8-pixel blue frame, 12 pixels once enlarged; the
# first picture stands on black.
expect_colour 10 384 0 0 0 "left border not black"
expect_colour 512 10 0 0 0 "top border not black"
expect_colour 32 384 0 0 0 "picture starts left of x=33"
expect_colour 33 384 0 0 255 "picture's frame not at x=33"
expect_colour 992 384 0 0 255 "picture's frame not at x=992"
expect_colour 993 384 0 0 0 "picture ends right of x=992"
expect_colour 512 24 0 0 0 "picture starts above y=25"
expect_colour 512 25 0 0 255 "picture's frame not at y=25"
expect_colour 512 744 0 0 255 "picture's frame not at y=744"
expect_colour 512 745 0 0 0 "picture ends below y=744"
expect_colour 46 384 255 0 0 "picture's inside not red at x=46"
echo "ok: one 640 x 480 picture shown at (33, 25), 960 x 720, on black"

"$loader" "$SCR" /s >>"$LOG" 2>&1 &
SECOND=$!
expect_exit0 $SECOND 20
kill -0 $PID 2>/dev/null || fail "the first copy ended with the second"
echo "ok: a second copy ended at once with exit code 0"

window=$(xdotool search --name '^SlidoraSaver$' | head -n 1)
[ -n "$window" ] || fail "no X window named SlidoraSaver"
# No window manager gives the focus: the key goes where it is set.
xdotool windowfocus --sync "$window" key space
start=$(now_ms)
expect_exit0 $PID 10
echo "ok: a key press ended the show with exit code 0 after $(($(now_ms) - start)) ms"

# --- An 8-bit picture in its own colours: green in a yellow frame.
rm -f "$WORK/pics/"*
"$loader" "$HOST" picture8 "$(winpath "$WORK/pics/indexed.bmp")" 640 480 || fail "no 8-bit picture"
"$loader" "$SCR" /s >>"$LOG" 2>&1 &
PID=$!
wait_for 60 shows 512 384 0 200 0 || fail "the 8-bit picture's green is not at the centre: $(pixel 512 384)"
expect_colour 33 384 255 255 0 "8-bit picture's frame not at x=33"
expect_colour 32 384 0 0 0 "8-bit picture starts left of x=33"
xdotool windowfocus --sync "$(xdotool search --name '^SlidoraSaver$' | head -n 1)" key Escape
expect_exit0 $PID 10
echo "ok: an 8-bit picture shown in its palette's colours"

# --- The preview inside a host window at (100, 100), 320 x 240. Wine does
# not put on the screen what a window draws inside another process's window,
# so the host reports what it finds among its children instead of pixels.
printf '[Image]\r\nDispFolder=%s\r\n' "$(winpath "$WORK/pics")" >"$INI"
HOSTLOG=$WORK/host.log
"$loader" "$HOST" preview "$(winpath "$SCR")" 100 100 320 240 "$(winpath "$WORK/close-host")" \
  >"$HOSTLOG" 2>>"$LOG" &
HOSTPID=$!
# Wine ends the lines of a console program's output with CR LF.
host_says() { tr -d '\r' <"$HOSTLOG" | grep "$@"; }
wait_for 60 host_says -q "preview window:" || fail "no preview window inside the host"
expected="preview window: style 58000000, 320 x 240 at (0, 0), the saver's own"
host_says -qxF "$expected" ||
  fail "preview window is not a disabled visible child filling the host: $(host_says 'preview window')"
touch "$WORK/close-host"
# The host waits for the saver and answers with 0 once it ended with 0.
expect_exit0 $HOSTPID 30
ended=$(host_says -o 'ended [0-9]* ms after its host') || fail "the host did not see the saver end"
echo "ok: preview as a disabled child filling the host's client area, $ended"

# A host that is killed takes no window down in order: the preview ends
# with its process all the same.
rm -f "$WORK/close-host"
# A log of its own: the first host's lines must not stand for the second's.
HOSTLOG=$WORK/host2.log
"$loader" "$HOST" preview "$(winpath "$SCR")" 100 100 320 240 "$(winpath "$WORK/close-host")" \
  >"$HOSTLOG" 2>>"$LOG" &
HOSTPID=$!
wait_for 60 host_says -q "preview window:" || fail "no preview window inside the second host"
# The preview's process: the one of this Wine prefix whose command line
# names the preview mode (other Wine prefixes may run copies of their own).
saver_pids() {
  local pid
  for pid in $(pgrep -f 'Slidora\.scr /p'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
  return 0
}
saver=$(saver_pids)
[ -n "$saver" ] || fail "no preview process to watch: $(pgrep -fa 'Slidora' || true)"
kill -9 $HOSTPID
wait $HOSTPID 2>/dev/null || true
saver_gone() { ! kill -0 $saver 2>/dev/null || [ "$(ps -o stat= -p $saver)" = Z ]; }
wait_for 10 saver_gone || fail "the preview outlived its killed host"
echo "ok: the preview ended with its killed host"

# --- The password change: the system's hook is called where it exists (Wine
# has one that does nothing) and the program ends.
"$loader" "$SCR" /a 0 >>"$LOG" 2>&1 &
expect_exit0 $! 20
echo "ok: the password change ended with exit code 0"
