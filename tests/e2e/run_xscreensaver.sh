#!/usr/bin/env bash
# Under the screen-saver daemon: activated with its command tool, the daemon
# starts our program in its own window (XSCREENSAVER_WINDOW, -root rewritten
# to --root) and our picture covers the screen; deactivated, it ends our
# process with SIGTERM and reports no crash. The daemon refuses to start
# savers as root, so under root it runs as the unprivileged user nobody; in
# either case with a HOME of its own.
source "$(dirname "$0")/common.sh"
command -v xscreensaver >/dev/null || { echo "SKIP: xscreensaver is not installed"; exit 0; }
if [ "$(id -u)" -eq 0 ]; then
  id nobody >/dev/null 2>&1 || { echo "SKIP: no user nobody to run the daemon as"; exit 0; }
  RUN_AS=(runuser -u nobody --)
else
  RUN_AS=()
fi

"$HELPER" framed-bmp "$WORK/pics/only.bmp" 1024 768
printf '[Image]\nDispFolder=%s\nSleepTime=1000\nMiniSize=1\n' "$WORK/pics" > "$INI"
GUEST_HOME="$WORK/home"
mkdir -p "$GUEST_HOME/run"
chmod 755 "$WORK"
chmod 700 "$GUEST_HOME/run"
cat > "$GUEST_HOME/.xscreensaver" <<CONF
timeout:	0:30:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
mode:		one
selected:	0
programs:	"Slidora" $SLIDORA -root \\n
CONF
if [ -n "${XAUTHORITY:-}" ] && [ -r "$XAUTHORITY" ]; then cp "$XAUTHORITY" "$GUEST_HOME/.Xauthority"; fi
[ ${#RUN_AS[@]} -eq 0 ] || chown -R nobody "$GUEST_HOME"
as_user() {
  "${RUN_AS[@]}" env HOME="$GUEST_HOME" DISPLAY="$DISPLAY" XAUTHORITY="$GUEST_HOME/.Xauthority" \
    XDG_RUNTIME_DIR="$GUEST_HOME/run" "$@"
}
as_user xscreensaver -no-splash -verbose > "$WORK/daemon.log" 2>&1 & DAEMON=$!
trap 'kill $DAEMON 2>/dev/null || true; kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
daemon_fail() { echo "--- daemon output:" >&2; tail -n 30 "$WORK/daemon.log" >&2; fail "$@"; }
# The daemon was seen, now and then, to stop at its start-up before it
# answers at all; that says nothing about our program, so the run is skipped.
if ! wait_for 30 as_user xscreensaver-command -version; then
  tail -n 5 "$WORK/daemon.log"
  echo "SKIP: the daemon did not answer within 30 s"
  exit 0
fi

is_colour() { # X Y R G B with a tolerance of 40 per channel
  read -r r g b < <("$HELPER" pixel "$1" "$2")
  [ $(( (r-$3)*(r-$3) < 1600 && (g-$4)*(g-$4) < 1600 && (b-$5)*(b-$5) < 1600 )) -eq 1 ]
}
ours_running() { pgrep -f "^$SLIDORA" >/dev/null; }

as_user xscreensaver-command -activate >/dev/null || daemon_fail "activation refused"
wait_for 10 ours_running || daemon_fail "the daemon did not start our program"
# The screen-sized picture fills the daemon's window: red in the middle, its
# blue frame at the left edge.
wait_for 10 is_colour 512 384 255 0 0 || daemon_fail "our picture is not on screen: $("$HELPER" pixel 512 384)"
is_colour 4 384 0 0 255 || daemon_fail "the picture's frame is not at the screen's edge: $("$HELPER" pixel 4 384)"
echo "ok: activated, the daemon's window shows our picture"

as_user xscreensaver-command -deactivate >/dev/null || daemon_fail "deactivation refused"
wait_for 5 bash -c "! pgrep -f '^$SLIDORA'" || daemon_fail "our program still runs after deactivation"
grep -i "crash" "$WORK/daemon.log" && daemon_fail "the daemon reports a crash"
echo "ok: deactivated, our program ended without a crash report"
