#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, and
# configures and builds the project in build/ (or $BUILD_DIR).
# Extra CMake arguments can be given in $CMAKE_ARGS; $BUILD_TARGETS limits the
# build to the named targets (default: everything).
# Only what is not done yet is done: installed packages are not installed
# again, a configured build folder is configured again only for other
# $CMAKE_ARGS, and the build redoes only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=tools/apt.sh
source tools/apt.sh

mapfile -t packages < <(grep -v '^[[:space:]]*$' tools/packages.txt)
declare -A installed=()
while read -r name state; do
  [ "$state" = "ii" ] && installed[$name]=1
done < <(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for p in "${packages[@]}"; do
  [ -n "${installed[$p]:-}" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  APT_PREFIX=()
  [ "$(id -u)" -ne 0 ] && APT_PREFIX=(sudo)
  apt_get_waiting update
  apt_get_waiting install -y --no-install-recommends "${missing[@]}"
fi

BUILD_DIR=${BUILD_DIR:-build}
config="-DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}"
recorded="$BUILD_DIR/.setup-cmake-args"
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ] ||
   { [ -n "${CMAKE_ARGS:-}" ] && [ "$(cat "$recorded" 2>/dev/null)" != "$config" ]; }; then
  # shellcheck disable=SC2086
  cmake -S . -B "$BUILD_DIR" $config
  printf '%s' "$config" > "$recorded"
fi
# shellcheck disable=SC2086
cmake --build "$BUILD_DIR" -j"$(nproc)" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
