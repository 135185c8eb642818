# Shared by the whole-program runs. Each run gets its own copy of the program
# (so its settings file is its own) and its own lock folder.
set -euo pipefail
SLIDORA_BUILT=$1
HELPER=$2
WORK=$(mktemp -d /tmp/slidora-e2e-XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
BUILD_DIR=$(dirname "$SLIDORA_BUILT")
mkdir -p "$WORK/bin" "$WORK/run" "$WORK/pics" "$WORK/music"
chmod 700 "$WORK/run"
cp "$SLIDORA_BUILT" "$BUILD_DIR"/libvbmp3.so* "$BUILD_DIR"/libresize32.so "$BUILD_DIR"/libslidora_mixer.so "$WORK/bin/"
SLIDORA="$WORK/bin/slidora"
INI="$WORK/bin/slidora.ini"
export XDG_RUNTIME_DIR="$WORK/run"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# The programs' own messages, shown when a run fails.
LOG="$WORK/program.log"
: > "$LOG"
# shellcheck source=tests/e2e/judging.sh
source "$(dirname "${BASH_SOURCE[0]}")/judging.sh"

saver_window_shown() { xdotool search --onlyvisible --name '^SlidoraSaver$' >/dev/null 2>&1 && sleep 0.3; }
