#!/usr/bin/env bash
# Sets everything up, builds, makes the demo pictures and starts the saver
# full screen on them. Any key or mouse movement ends it.
# The first time, a settings file build/slidora.ini is written that points
# at the demo pictures; edit it (or run `build/slidora /c`) to show your own.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
demo="$PWD/build/demo-pictures"
build/slidora-demo-pictures "$demo" >/dev/null
if [ ! -f build/slidora.ini ]; then
  printf '[Image]\nDispFolder=%s\nSleepTime=3000\n[Text]\nFileName=4\n' "$demo" > build/slidora.ini
fi
exec build/slidora /s
