#!/usr/bin/env bash
# The settings dialog opens in mode C and writes the settings file on
# Return (its OK button is the default).
source "$(dirname "$0")/common.sh"

rm -f "$INI"
"$SLIDORA" /c 2>>"$LOG" & PID=$!
dialog_shown() { xdotool search --onlyvisible --name 'Slidora の設定' >/dev/null 2>&1 && sleep 0.5; }
wait_for 10 dialog_shown || fail "no settings dialog"
xdotool search --onlyvisible --name 'Slidora の設定' windowfocus --sync key Return
expect_exit0 $PID 5
[ -f "$INI" ] || fail "no settings file written"
for key in MiniSize SleepTime MaxExtend FileName ActTime BGDensity ScanTime MediaExt; do
  grep -q "^$key=" "$INI" || fail "settings file lacks $key"
done
grep -q '^SleepTime=3000$' "$INI" || fail "dialog default SleepTime not written"
echo "ok: dialog wrote $(grep -c = "$INI") keys"
