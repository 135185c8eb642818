#!/usr/bin/env bash
# The full-screen show on two monitors of different sizes: the primary
# monitor's window shows the picture at the layout rules' size for it, the
# other monitor a mirror fitted to its own size; a click on the mirror ends the
# show, and a monitor switched off and on again while it runs is followed.
# Xvfb cannot declare two monitors, so this run starts its own X server with
# the dummy video driver and turns its second output on with xrandr.
source "$(dirname "$0")/common.sh"
skip() { echo "SKIP: $*"; exit 0; }
command -v Xorg >/dev/null || skip "no Xorg server (xserver-xorg-core)"
command -v xrandr >/dev/null || skip "no xrandr (x11-xserver-utils)"
ls /usr/lib/xorg/modules/drivers/dummy_drv.so >/dev/null 2>&1 || skip "no dummy video driver (xserver-xorg-video-dummy)"

cat > "$WORK/xorg.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 32000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 1280 480
  EndSubSection
EndSection
CONF
exec 5> "$WORK/display"
Xorg -displayfd 5 -config "$WORK/xorg.conf" -noreset -nolisten tcp -logfile "$WORK/xorg.log" \
  >"$WORK/xorg.out" 2>&1 & XSERVER=$!
exec 5>&-
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
wait_for 10 test -s "$WORK/display" || skip "the dummy X server did not start: $(tail -n 3 "$WORK/xorg.out")"
export DISPLAY=:$(cat "$WORK/display")
unset XAUTHORITY
wait_for 5 xrandr --listmonitors || skip "the dummy X server does not answer"
second_on() {
  xrandr --addmode DUMMY1 640x360 2>/dev/null || true
  xrandr --output DUMMY1 --mode 640x360 --right-of DUMMY0
}
second_on || skip "the dummy driver gave no second output: $(xrandr 2>&1 | head -n 5)"
wait_for 5 bash -c "xrandr --listmonitors | grep -q '^Monitors: 2'" || skip "no second monitor: $(xrandr --listmonitors)"

is_colour() { # X Y R G B with a tolerance of 40 per channel
  read -r r g b < <("$HELPER" pixel "$1" "$2")
  [ $(( (r-$3)*(r-$3) < 1600 && (g-$4)*(g-$4) < 1600 && (b-$5)*(b-$5) < 1600 )) -eq 1 ]
}
is_red() { is_colour "$1" "$2" 255 0 0; }

# A 640 x 480 picture: its own size on the 640 x 480 primary monitor; on the
# 640 x 360 one (its window 642 x 362) reduced by the height to 482 x 362 at
# x = 80, so red from about 86 to 556 px into the monitor.
"$HELPER" framed-bmp "$WORK/pics/only.bmp" 640 480
printf '[Image]\nDispFolder=%s\nSleepTime=1000\nMiniSize=1\n' "$WORK/pics" > "$INI"
xdotool mousemove 660 180
"$SLIDORA" /s 2>>"$LOG" & PID=$!
wait_for 10 is_red 320 240 || fail "no picture on the primary monitor: $("$HELPER" pixel 320 240)"
wait_for 10 is_red 960 180 || fail "no picture on the second monitor: $("$HELPER" pixel 960 180)"
is_colour 4 240 0 0 255 || fail "primary: frame not at the left edge: $("$HELPER" pixel 4 240)"
is_red 700 180 && fail "second monitor: picture not reduced to the monitor (red at 60 px in)"
is_red 1240 180 && fail "second monitor: picture not reduced to the monitor (red at 600 px in)"
echo "ok: both monitors show the picture, each fitted to its own size"

# The pointer rests over the mirror's background, left of its picture, since
# the start: a click there reaches the mirror alone.
xdotool search --onlyvisible --name '^SlidoraMirror$' >/dev/null || fail "no mirror window"
xdotool click 1
expect_exit0 $PID 10
echo "ok: a click on the mirror ends the show"

# Switching the second monitor off moves the pointer onto the first one.
"$SLIDORA" /s 2>>"$LOG" & PID=$!
wait_for 10 is_red 960 180 || fail "no picture on the second monitor: $("$HELPER" pixel 960 180)"
xrandr --output DUMMY1 --off
wait_for 5 bash -c "xrandr --listmonitors | grep -q '^Monitors: 1'" || fail "second monitor not switched off"
second_on || fail "second monitor not switched on again"
wait_for 10 is_red 960 180 || fail "no picture on the monitor switched on again: $("$HELPER" pixel 960 180)"
kill -0 $PID 2>/dev/null || fail "the show ended when a monitor came or went"
kill -TERM $PID
expect_exit0 $PID 10
echo "ok: a monitor switched off and on again is followed"

kill $XSERVER
