#!/usr/bin/env bash
# Builds the Windows screen saver for 32-bit and 64-bit Windows on a Debian
# machine and packs one zip per architecture:
#   build-win/release/<triplet>/package/Slidora-<version>-win32.zip / -win64.zip
# each holding Slidora.scr, RESIZE32.DLL, VBMP3.dll and a read-me.
#
# Installs what it needs (the mingw-w64 cross compilers and the tools that
# build libjpeg, libpng and libmpg123 from Debian's own sources), like the
# Linux scripts. Needs root or sudo for that on a fresh machine.
#
# Environment: JOBS, SLIDORA_WINDOWS_WORK (where the libraries are built,
# default build-win).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-$(nproc)}
work=${SLIDORA_WINDOWS_WORK:-$root/build-win}
out=$root/build-win/release

log() { printf '%s build-windows: %s\n' "$(date -u +%H:%M:%S)" "$*"; }

tools/build-windows-deps.sh

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

mkdir -p "$out"
for triplet in i686-w64-mingw32 x86_64-w64-mingw32; do
  dir=$out/$triplet
  log "building $triplet"
  cmake -S win -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$triplet.cmake" \
    -DSLIDORA_WINDOWS_DEPS_PREFIX="$work/deps/$triplet" -DCMAKE_BUILD_TYPE=Release \
    -DSLIDORA_WINDOWS_TESTS=OFF "${launcher[@]}" >"$dir.configure.log" 2>&1 ||
    { tail -n 40 "$dir.configure.log" >&2; exit 1; }
  cmake --build "$dir" -j"$jobs"
  # Release builds carry no debugging information worth shipping.
  for f in "$dir/Slidora.scr" "$dir/RESIZE32.DLL" "$dir/VBMP3.dll"; do
    "$triplet-strip" --strip-unneeded "$f"
  done
  (cd "$dir" && cpack -G ZIP >/dev/null)
  log "packed $(ls "$dir"/package/*.zip)"
done
