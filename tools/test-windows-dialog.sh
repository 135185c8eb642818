#!/usr/bin/env bash
# The Windows settings dialog end to end under Wine: opens it on a fresh
# folder (no settings file), presses Return, and checks that the program
# ended with 0 and wrote the settings file beside itself with the 20 keys in
# their order and the dialog's defaults.
#
#   tools/test-windows-dialog.sh PROGRAM [ARGUMENT...]
#   e.g. tools/test-windows-dialog.sh build-win/x86_64/Slidora.scr /c
#
# PROGRAM is copied with the DLLs beside it into a folder of its own; its
# settings file there is its name, lower-cased, with the extension ".ini".
# Needs DISPLAY and WINEPREFIX set up (tools/test-windows.sh does both);
# WINE_LOADER names the 64-bit Wine loader (found through dpkg when unset).
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARGUMENT...]" >&2; exit 2; }
program=$1
shift
: "${DISPLAY:?needs an X display}" "${WINEPREFIX:?needs a Wine prefix}"
loader=${WINE_LOADER:-$(dpkg -L wine64 | grep -m1 '/wine64$' || true)}
[ -x "$loader" ] || { echo "test-windows-dialog: no Wine loader" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/slidora-dialog.XXXXXX")
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cp "$program" "$work/"
find "$(dirname "$program")" -maxdepth 1 -iname '*.dll' -exec cp {} "$work/" \;
name=$(basename "$program")
ini="$work/$(printf '%s' "${name%.*}" | tr 'A-Z' 'a-z').ini"
log="$work/program.log"

LOG=$log
# shellcheck source=tests/e2e/judging.sh
source "$(dirname "$0")/../tests/e2e/judging.sh"

caption='  Slidora の設定'
dialog_windows() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$caption" 2>/dev/null); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$caption" ] && echo "$id"
  done
  return 0
}
shown() { [ -n "$(dialog_windows)" ]; }
ended() { ! kill -0 "$pid" 2>/dev/null; }
# Return in the dialog until the program ends: the window may not take the
# focus at the first attempt while Wine is still mapping it.
press_return() {
  local id
  for id in $(dialog_windows); do
    xdotool windowfocus --sync "$id" key Return 2>/dev/null || true
  done
  wait_for 3 ended
}

(cd "$work" && exec "$loader" "$work/$name" "$@") >"$log" 2>&1 </dev/null &
pid=$!
# The limits only catch a program that never shows or never ends.
wait_for 60 shown || fail "no window captioned exactly '$caption'"
wait_for 30 press_return || fail "the dialog did not close on Return"
rc=0
wait "$pid" || rc=$?
pid=
[ "$rc" -eq 0 ] || fail "exit code $rc"
[ -f "$ini" ] || fail "no settings file $(basename "$ini") written"

# Section.Key in file order, and the values of the keys whose dialog
# defaults do not depend on the machine.
order=$(tr -d '\r' <"$ini" | awk '
  /^\[.*\]$/ { section = substr($0, 2, length($0) - 2); next }
  /=/ { print section "." substr($0, 1, index($0, "=") - 1) }' | paste -sd' ')
expected="Image.DispFolder Image.MiniSize Image.SleepTime Image.MaxExtend Image.Random"
expected+=" Text.FileName Text.Folder Text.Date Text.Time Font.Name Font.Style Font.Size"
expected+=" Audio.AudioFolder Audio.Volume Audio.Random Audio.MPlayer Audio.MediaExt"
expected+=" Omake.ActTime Omake.BGDensity Omake.ScanTime"
[ "$order" = "$expected" ] || fail "keys written as: $order"
for pair in MiniSize=10 SleepTime=3000 MaxExtend=15 FileName=4 Style= AudioFolder= Volume=100 \
  MediaExt=.mid ActTime=60 BGDensity=150 ScanTime=20; do
  tr -d '\r' <"$ini" | grep -qx -- "$pair" || fail "settings file lacks $pair"
done
tr -d '\r' <"$ini" | grep -q '^DispFolder=.' || fail "no default picture folder written"
echo "ok: test-windows-dialog: $name wrote the 20 keys in order"
