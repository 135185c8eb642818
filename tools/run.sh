#!/usr/bin/env bash
# Sets everything up, builds, makes the demo pictures and starts the saver
# full screen on them. Any key or mouse movement ends it.
# The first time, a settings file build/slidora.ini is written that points
# at the demo pictures; edit it (or run `build/slidora /c`) to show your own.
# A second run finds everything done and starts the show within seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-build}
# The program, the resampler module it opens at run time, and the demo maker.
BUILD_TARGETS="slidora resize32 slidora-demo-pictures" tools/setup.sh
demo="$(cd "$BUILD_DIR" && pwd)/demo-pictures"
# Made once, and again only when the demo maker was rebuilt since; written
# beside and renamed into place, so a run broken off halfway leaves no half
# folder that would count as done.
if [ ! -d "$demo" ] || [ "$BUILD_DIR/slidora-demo-pictures" -nt "$demo" ]; then
  rm -rf "$demo.new"
  "$BUILD_DIR/slidora-demo-pictures" "$demo.new" >/dev/null
  rm -rf "$demo"
  mv "$demo.new" "$demo"
fi
if [ ! -f "$BUILD_DIR/slidora.ini" ]; then
  printf '[Image]\nDispFolder=%s\nSleepTime=3000\n[Text]\nFileName=4\n' "$demo" > "$BUILD_DIR/slidora.ini"
fi
exec "$BUILD_DIR/slidora" /s
