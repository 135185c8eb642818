#!/usr/bin/env bash
# The settings dialog opens in mode C with exactly its caption, asks "確認"
# for a picture folder without pictures, and writes the settings file on
# Return (its OK button is the default).
source "$(dirname "$0")/common.sh"

DIALOG='  Slidora の設定'
PICKER='画像フォルダの参照'
QUESTION='確認'

# windows_named NAME: the visible windows whose title is exactly NAME. The
# title is read as a title bar shows it (getwindowname); the search alone
# also matches a window whose title only begins with NAME.
windows_named() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$1" 2>/dev/null); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && echo "$id"
  done
  return 0
}

# press_in NAME KEYS...: focuses a window named NAME and types KEYS there. Qt may replace a window's X window while the window
# is being set up, so an id from the search can be gone before it is
# focused; every id found is tried, and the caller retries.
press_in() {
  local name=$1 id
  shift
  for id in $(windows_named "$name"); do
    xdotool windowfocus --sync "$id" key "$@" 2>/dev/null && return 0
  done
  return 1
}
shown() { [ -n "$(windows_named "$1")" ]; }
gone() { ! shown "$1"; }
# press_until NAME KEY CHECK...: presses KEY in the window until CHECK holds.
press_until() {
  local name=$1 key=$2
  shift 2
  press_in "$name" "$key" && wait_for 3 "$@"
}
titles() { for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do printf '[%s]' "$(xdotool getwindowname "$id")"; done; }

EMPTY="$WORK/no-pictures"
mkdir -p "$EMPTY"
printf '[Image]\nDispFolder=%s\n' "$EMPTY" > "$INI"
"$SLIDORA" /c 2>>"$LOG" & PID=$!
wait_for 10 shown "$DIALOG" || fail "no settings dialog captioned exactly '  Slidora の設定' (windows: $(titles))"

# The focus starts on the picture folder's 参照 button.
wait_for 10 press_until "$DIALOG" space shown "$PICKER" || fail "no folder picker"
wait_for 10 press_until "$PICKER" Return shown "$QUESTION" ||
  fail "no question captioned exactly '確認' (windows: $(titles))"
wait_for 10 press_until "$QUESTION" Escape gone "$QUESTION" || fail "the question did not close on Esc"
wait_for 10 gone "$PICKER" || fail "the folder picker stayed open"

process_ended() { ! kill -0 "$PID" 2>/dev/null; }
wait_for 10 press_until "$DIALOG" Return process_ended || fail "the dialog did not close on Return"
expect_exit0 $PID 10
[ -f "$INI" ] || fail "no settings file written"
for key in MiniSize SleepTime MaxExtend FileName ActTime BGDensity ScanTime MediaExt; do
  grep -q "^$key=" "$INI" || fail "settings file lacks $key"
done
grep -q '^SleepTime=3000$' "$INI" || fail "dialog default SleepTime not written"
grep -qx "DispFolder=$EMPTY" "$INI" || fail "answering いいえ changed the picture folder"
echo "ok: dialog wrote $(grep -c = "$INI") keys"
