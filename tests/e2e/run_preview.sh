#!/usr/bin/env bash
# The preview draws inside the host's window, at the host's size, and ends
# (exit code 0) when the host window goes away.
source "$(dirname "$0")/common.sh"

printf '[Image]\nDispFolder=%s\n' "$WORK/pics" > "$INI"
exec 3> >("$HELPER" host-window 320 240 > "$WORK/host.id")
wait_for 5 test -s "$WORK/host.id" || fail "no host window"
HOST=$(cat "$WORK/host.id")
"$SLIDORA" /p "$HOST" 3>&- 2>>"$LOG" & PID=$!
# The host is at (100, 100); the preview's message mode paints it teal.
teal_in_host() {
  read -r r g b < <("$HELPER" pixel 200 110)
  [ "$r" -lt 30 ] && [ "$g" -gt 100 ] && [ "$g" -lt 160 ] && [ "$b" -gt 100 ] && [ "$b" -lt 160 ]
}
wait_for 10 teal_in_host || fail "preview not drawn inside the host: $("$HELPER" pixel 200 110)"
read -r r g b < <("$HELPER" pixel 440 360)
[ "$r$g$b" = "000" ] || fail "preview drew outside the host: $r $g $b"
# Closing the host's end of the pipe makes the helper destroy its window.
exec 3>&-
expect_exit0 $PID 10
echo "ok: preview inside the host, ended with it"
