#!/usr/bin/env bash
# A 640 x 480 picture on a 1024 x 768 screen is enlarged 1.5 times to
# 960 x 720 and placed at (33, 25); its blue border gives the background.
source "$(dirname "$0")/common.sh"

"$HELPER" framed-bmp "$WORK/pics/only.bmp" 640 480
printf '[Image]\nDispFolder=%s\nSleepTime=30000\n[Text]\nFileName=2\n' "$WORK/pics" > "$INI"
"$SLIDORA" /s 2>>"$LOG" & PID=$!
wait_for 10 saver_window_shown || fail "no saver window"

is_colour() { # X Y R G B with a tolerance of 40 per channel
  read -r r g b < <("$HELPER" pixel "$1" "$2")
  [ $(( (r-$3)*(r-$3) < 1600 && (g-$4)*(g-$4) < 1600 && (b-$5)*(b-$5) < 1600 )) -eq 1 ]
}
wait_for 10 is_colour 512 384 255 0 0 || fail "centre is not the picture's red: $("$HELPER" pixel 512 384)"
# The first picture stands on black.
is_colour 10 384 0 0 0 || fail "left border is not black: $("$HELPER" pixel 10 384)"
is_colour 512 10 0 0 0 || fail "top border is not black: $("$HELPER" pixel 512 10)"
# The picture's own blue frame lies just inside (33, 25) - (993, 745).
is_colour 38 384 0 0 255 || fail "left frame not at x=38: $("$HELPER" pixel 38 384)"
is_colour 988 384 0 0 255 || fail "right frame not at x=988: $("$HELPER" pixel 988 384)"
is_colour 512 30 0 0 255 || fail "top frame not at y=30: $("$HELPER" pixel 512 30)"
is_colour 512 740 0 0 255 || fail "bottom frame not at y=740: $("$HELPER" pixel 512 740)"
is_colour 28 384 0 0 0 || fail "picture starts left of x=33: $("$HELPER" pixel 28 384)"
is_colour 998 384 0 0 0 || fail "picture ends right of x=993: $("$HELPER" pixel 998 384)"
kill -TERM $PID
expect_exit0 $PID 10
echo "ok: picture placed and scaled"

# A show over ".jp" and ".jpeg" files reads them where they are: the
# folder's names are the same after the show as before it.
rm -f "$WORK/pics/"*
"$HELPER" framed-jpg "$WORK/pics/photo.JPEG" 800 600
"$HELPER" framed-jpg "$WORK/pics/scan.jp" 800 600
"$HELPER" framed-jpg "$WORK/pics/a.b.jpeg" 800 600
before=$(ls -la --time-style=+ "$WORK/pics")
printf '[Image]\nDispFolder=%s\nSleepTime=500\nMiniSize=1\n' "$WORK/pics" > "$INI"
"$SLIDORA" /s 2>>"$LOG" & PID=$!
wait_for 10 saver_window_shown || fail "no saver window"
wait_for 10 is_colour 512 384 255 0 0 || fail "JPEG pictures under .jp/.jpeg names not shown"
sleep 2 # every picture shown at least once (one every 400 ms)
kill -TERM $PID
expect_exit0 $PID 10
after=$(ls -la --time-style=+ "$WORK/pics")
[ "$before" = "$after" ] || fail "the picture folder changed: $before --- $after"
echo "ok: .jp and .jpeg files shown in place, names unchanged"
