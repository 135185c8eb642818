#!/usr/bin/env bash
# Builds and tests the toolkit-free core (SLIDORA_FRONTEND=none) with Qt, X11
# and SDL hidden from CMake: pkg-config sees only libmpg123 and Qt's package
# files are refused. Then checks that no target of that build compiles or
# links against Qt, X11 or SDL. Extra CMake arguments in $CMAKE_ARGS, the
# build folder in $BUILD_DIR (default build-core).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-core}

pcdir=$(mktemp -d)
trap 'rm -rf "$pcdir"' EXIT
ln -s "$(pkg-config --variable=pcfiledir libmpg123)/libmpg123.pc" "$pcdir/"

# shellcheck disable=SC2086
PKG_CONFIG_LIBDIR=$pcdir PKG_CONFIG_PATH= cmake -S . -B "$BUILD_DIR" -DSLIDORA_FRONTEND=none \
  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DSLIDORA_BENCH=OFF ${CMAKE_ARGS:-}
cmake --build "$BUILD_DIR" -j"$(nproc)"

# Compile flags and link lines of every target in the core-only build.
if grep -rlE -i 'qt6|libX11|libXext|libXss|SDL2' \
    --include=flags.make --include=link.txt "$BUILD_DIR"; then
  echo "core-only build: the files above name Qt, X11 or SDL" >&2
  exit 1
fi
echo "core-only build: no target uses Qt, X11 or SDL"
(cd "$BUILD_DIR" && ctest --output-on-failure -j"$(nproc)" --timeout 300)
