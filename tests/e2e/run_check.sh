#!/usr/bin/env bash
# "--check" on a tree holding one file of every kind a show leaves out: each
# is named with its reason, the show's pictures and audio are listed, and the
# exit code tells pictures from the message mode.
source "$(dirname "$0")/common.sh"

P="$WORK/pics"
mkdir -p "$P/sub" "$P/private"
"$HELPER" framed-bmp "$P/good.bmp" 100 100
"$HELPER" framed-jpg "$P/sub/good.jpg" 200 100
"$HELPER" framed-bmp "$P/small.bmp" 8 8
head -c 2000 /dev/zero | tr '\0' 'x' > "$P/notes.txt"
head -c 2000 /dev/zero | tr '\0' 'x' > "$P/broken.jpg"
"$HELPER" framed-bmp "$P/locked.png" 100 100
# A bitmap header claiming 20000 x 20000 pixels, 24 bits, in a 2 KB file.
{ printf 'BM\000\010\000\000\000\000\000\000\066\000\000\000\050\000\000\000'
  printf '\040\116\000\000\040\116\000\000\001\000\030\000'
  head -c 2000 /dev/zero; } > "$P/huge.bmp"
mkfifo "$P/fifo.jpg"
ln -s .. "$P/sub/back"
ln -s "$P/nowhere.jpg" "$P/gone.jpg"
echo mp3 > "$WORK/music/song.mp3"
echo mid > "$WORK/music/tune.mid"
echo txt > "$WORK/music/readme.txt"
printf '[Image]\nDispFolder=%s\nMiniSize=1\n[Audio]\nAudioFolder=%s\n' "$P" "$WORK/music" > "$INI"

# Root reads every file whatever its mode: the check then runs as nobody.
chmod 755 "$WORK" "$WORK/bin"
chmod -R a+rX "$P" "$WORK/music" "$INI"
chmod 000 "$P/locked.png" "$P/private"
as_user() { if [ "$(id -u)" -eq 0 ]; then setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; else "$@"; fi; }

rc=0
as_user "$SLIDORA" --check > "$WORK/report" 2>>"$LOG" || rc=$?
cp "$WORK/report" "$LOG"
[ "$rc" -eq 0 ] || fail "exit code $rc with pictures in the tree"
has() { grep -qF -- "$1" "$WORK/report" || fail "report lacks: $1"; }
has "  $P/good.bmp"
has "  $P/sub/good.jpg"
has "$P/small.bmp: too small for the size setting: 246 bytes, MiniSize 1 takes files over 1024 bytes"
has "$P/notes.txt: not a picture extension"
has "$P/locked.png: unreadable: "
has "$P/broken.jpg: damaged: "
has "$P/huge.bmp: refused as too large: bitmap is larger than the picture size limit"
has "$P/fifo.jpg: a special file"
has "$P/sub/back/: a loop: leads back to $P/"
has "$P/gone.jpg: unreadable: No such file or directory"
has "$P/private/: unreadable folder: Permission denied"
has "  $WORK/music/song.mp3  (MP3 library)"
has "  $WORK/music/tune.mid  (media player)"
has "$WORK/music/readme.txt: not an audio extension"
has "Pictures: 2 in the show, 9 left out"
has "Audio: 2 in the show, 1 left out"
[ "$(tail -n 1 "$WORK/report")" = "Settings file: $INI" ] || fail "last line is not the settings file: $(tail -n 1 "$WORK/report")"
echo "ok: every left-out file named with its reason"

# A folder given on the command line replaces the settings' one; without a
# picture the show would fall back to its message: exit code 1.
mkdir -p "$WORK/empty"
rc=0
"$SLIDORA" --check "$WORK/empty" > "$WORK/report" 2>>"$LOG" || rc=$?
cp "$WORK/report" "$LOG"
[ "$rc" -eq 1 ] || fail "exit code $rc for a folder without pictures"
has "Picture folder: $WORK/empty"
has "Pictures: 0 in the show, 0 left out"
has "Audio: 0 in the show, 1 left out"
echo "ok: no pictures, exit code 1"

# An empty picture folder setting catalogues nothing (and walks nothing).
printf '[Image]\nDispFolder=\n' > "$INI"
rc=0
timeout 20 "$SLIDORA" --check > "$WORK/report" 2>>"$LOG" || rc=$?
cp "$WORK/report" "$LOG"
[ "$rc" -eq 1 ] || fail "exit code $rc for an empty picture folder setting"
has "Picture folder: (none set)"
echo "ok: empty picture folder setting"
