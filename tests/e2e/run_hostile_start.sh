#!/usr/bin/env bash
# Starts the way idle triggers and damaged set-ups do: with standard output
# and error closed while a library writes to standard error, and with a FIFO
# in the settings file's place. The saver shows its window (after the
# error report for the FIFO) and ends on a key, the dialog reports it and
# writes nothing, and the FIFO stays a FIFO.
source "$(dirname "$0")/common.sh"

printf '[Image]\nDispFolder=%s\n' "$WORK/pics" > "$INI"
# Qt's debug output for its X connection goes to standard error from the
# moment the connection is made.
QT_LOGGING_RULES='qt.qpa.*=true' "$SLIDORA" /s </dev/null 1>&- 2>&- & PID=$!
wait_for 10 saver_window_shown || fail "no saver window with the standard streams closed (process $(kill -0 $PID 2>/dev/null && echo running || echo gone))"
xdotool key space
expect_exit0 $PID 10
echo "ok: window with the standard streams closed"

rm -f "$INI"
mkfifo "$INI"
"$SLIDORA" /s 2>>"$LOG" & PID=$!
report_shown() { xdotool search --onlyvisible --name '^Slidora Saver$' >/dev/null 2>&1 && sleep 0.3; }
wait_for 10 report_shown || fail "no error report for a FIFO settings file (process $(kill -0 $PID 2>/dev/null && echo running || echo gone))"
xdotool search --onlyvisible --name '^Slidora Saver$' windowfocus --sync
xdotool key Return
wait_for 10 saver_window_shown || fail "no saver window after the report"
xdotool key space
expect_exit0 $PID 10
[ -p "$INI" ] || fail "the FIFO was replaced"
echo "ok: FIFO settings file reported, left alone"

# The dialog reports the FIFO, opens, and on OK reports that it cannot write
# instead of replacing it.
"$SLIDORA" /c 2>>"$LOG" & PID=$!
wait_for 10 report_shown || fail "no error report in the dialog for a FIFO settings file"
xdotool search --onlyvisible --name '^Slidora Saver$' windowfocus --sync
xdotool key Return
dialog_shown() { xdotool search --onlyvisible --name 'Slidora の設定' >/dev/null 2>&1 && sleep 0.5; }
wait_for 10 dialog_shown || fail "no settings dialog after the report"
xdotool search --onlyvisible --name 'Slidora の設定' windowfocus --sync
xdotool key Return
wait_for 10 report_shown || fail "no report of the refused write"
xdotool search --onlyvisible --name '^Slidora Saver$' windowfocus --sync
xdotool key Return
expect_exit0 $PID 10
[ -p "$INI" ] || fail "the dialog replaced the FIFO"
echo "ok: dialog with a FIFO settings file reported it and left it alone"
