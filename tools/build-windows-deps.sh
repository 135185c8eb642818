#!/usr/bin/env bash
# Cross-builds the C libraries the Windows program links statically (libjpeg,
# libpng, libmpg123) from Debian's own source packages, for 32-bit and 64-bit
# Windows, into build-win/deps/<triplet> (or $SLIDORA_WINDOWS_DEPS/<triplet>).
# zlib comes prebuilt from Debian's libz-mingw-w64-dev.
#
# Installs the cross compilers and tools it needs. The sources are fetched
# with apt-get through a private apt configuration that adds deb-src entries
# for the machine's own mirrors, so the system's sources list and package
# cache are never touched. Versions are pinned; a library already built at its
# pinned version is skipped.
#
# Usage: tools/build-windows-deps.sh [triplet...]   (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# Preference order: the first version the mirror can serve is used. libpng's
# newest security revision has been listed in the index while its .dsc was
# missing from the mirror, hence more than one candidate.
jpegVersions=("1:2.1.5-2")
pngVersions=("1.6.39-2+deb12u5" "1.6.39-2+deb12u6" "1.6.39-2")
mpg123Versions=("1.31.2-1+deb12u1" "1.31.2-1")

triplets=("$@")
[ ${#triplets[@]} -gt 0 ] || triplets=(i686-w64-mingw32 x86_64-w64-mingw32)
work=${SLIDORA_WINDOWS_WORK:-$root/build-win}
deps=${SLIDORA_WINDOWS_DEPS:-$work/deps}
jobs=${JOBS:-$(nproc)}

log() { printf '%s build-windows-deps: %s\n' "$(date -u +%H:%M:%S)" "$*"; }

installTools() {
  local wanted=(nasm dpkg-dev make cmake libz-mingw-w64-dev) missing=() t
  for t in "${triplets[@]}"; do
    case $t in
      i686-w64-mingw32) wanted+=(gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686) ;;
      x86_64-w64-mingw32) wanted+=(gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64) ;;
      *) echo "unknown triplet: $t" >&2; exit 2 ;;
    esac
  done
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  log "installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get -o DPkg::Lock::Timeout=600 update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y \
    --no-install-recommends "${missing[@]}"
}

# A private apt whose only sources are the system's own mirrors as deb-src.
aptDir=$work/apt
privateApt() {
  mkdir -p "$aptDir/sources.list.d" "$aptDir/lists/partial" "$aptDir/cache/archives/partial"
  local out=$aptDir/sources.list.d/debian-src.sources
  : >"$out"
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    sed -E 's/^Types:.*/Types: deb-src/' "$f" >>"$out"
    echo >>"$out"
  done
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
      >"$aptDir/sources.list.d/debian-src.list" || true
  fi
  cat >"$aptDir/apt.conf" <<EOF
Dir::Etc::SourceList "/dev/null";
Dir::Etc::SourceParts "$aptDir/sources.list.d";
Dir::State::Lists "$aptDir/lists";
Dir::Cache "$aptDir/cache";
Dir::Cache::pkgcache "";
Dir::Cache::srcpkgcache "";
APT::Sandbox::User "root";
EOF
  export APT_CONFIG=$aptDir/apt.conf
  # The index is refreshed once a day at most.
  if [ -z "$(find "$aptDir/lists" -maxdepth 1 -name '*Sources*' -mtime -1 -print -quit)" ]; then
    log "updating the private source index"
    apt-get -q update >"$aptDir/update.log" 2>&1 || { cat "$aptDir/update.log" >&2; exit 1; }
  fi
}

# fetchInto <folder> <package> <version>: apt-get source of that exact
# version. The same version can sit in more than one suite's pool, and a pool
# has been seen to lack a file the .dsc names (the upstream tarball's
# signature), so each suite that lists it is tried in turn.
fetchInto() {
  local into=$1 pkg=$2 v=$3 suite
  (cd "$into" && apt-get -q source "$pkg=$v" >fetch.log 2>&1) && return 0
  # shellcheck disable=SC2013 # a Suites: line lists several, space-separated
  for suite in $(sed -n 's/^Suites://p' "$aptDir"/sources.list.d/*.sources 2>/dev/null); do
    find "$into" -mindepth 1 -maxdepth 1 ! -name '*.log' -exec rm -rf {} +
    (cd "$into" && apt-get -q source "$pkg/$suite" >>fetch.log 2>&1) || continue
    [ -f "$into/${pkg}_${v#*:}.dsc" ] && return 0
  done
  return 1
}

# fetchSource <package> <version...>: unpacks the first version the mirror
# serves under $work/src and prints its folder.
fetchSource() {
  local pkg=$1 v dir upstream
  shift
  mkdir -p "$work/src"
  for v in "$@"; do
    upstream=${v#*:}
    upstream=${upstream%-*}
    dir=$work/src/$pkg-$upstream-${v##*-}
    if [ -f "$dir/.unpacked" ]; then
      echo "$dir"
      return
    fi
    rm -rf "$dir.tmp"
    mkdir -p "$dir.tmp"
    if fetchInto "$dir.tmp" "$pkg" "$v"; then
      local unpacked
      unpacked=$(find "$dir.tmp" -mindepth 1 -maxdepth 1 -type d -print -quit)
      rm -rf "$dir"
      mv "$unpacked" "$dir"
      rm -rf "$dir.tmp"
      echo "$v" >"$dir/.unpacked"
      echo "$dir"
      return
    fi
    log "$pkg $v could not be fetched ($(tail -n 1 "$dir.tmp/fetch.log")); trying the next version" >&2
    rm -rf "$dir.tmp"
  done
  echo "build-windows-deps: no pinned version of $pkg could be fetched: $*" >&2
  exit 1
}

# The stamp records the source folder built, so a new pinned version rebuilds.
built() { [ -f "$1" ] && [ "$(cat "$1")" = "$2" ]; }

buildJpeg() {
  local triplet=$1 src=$2 prefix=$3 stamp=$3/.stamp-libjpeg
  built "$stamp" "$src" && { log "$triplet libjpeg up to date"; return; }
  log "$triplet libjpeg from $(basename "$src")"
  local b=$work/build/$triplet/libjpeg
  rm -rf "$b"
  mkdir -p "$b"
  cmake -S "$src" -B "$b" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$triplet.cmake" \
    -DSLIDORA_WINDOWS_DEPS_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_JPEG8=OFF -DREQUIRE_SIMD=ON >"$b.log" 2>&1 || { tail -n 30 "$b.log" >&2; exit 1; }
  { nice -n 10 cmake --build "$b" -j"$jobs" && cmake --install "$b"; } >>"$b.log" 2>&1 ||
    { tail -n 30 "$b.log" >&2; exit 1; }
  echo "$src" >"$stamp"
}

buildPng() {
  local triplet=$1 src=$2 prefix=$3 stamp=$3/.stamp-libpng
  built "$stamp" "$src" && { log "$triplet libpng up to date"; return; }
  log "$triplet libpng from $(basename "$src")"
  local b=$work/build/$triplet/libpng
  rm -rf "$b"
  mkdir -p "$b"
  # The static zlib explicitly: the sysroot also holds an import library.
  cmake -S "$src" -B "$b" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$triplet.cmake" \
    -DSLIDORA_WINDOWS_DEPS_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF \
    -DZLIB_LIBRARY="/usr/$triplet/lib/libz.a" -DZLIB_INCLUDE_DIR="/usr/$triplet/include" \
    >"$b.log" 2>&1 || { tail -n 30 "$b.log" >&2; exit 1; }
  { nice -n 10 cmake --build "$b" -j"$jobs" && cmake --install "$b"; } >>"$b.log" 2>&1 ||
    { tail -n 30 "$b.log" >&2; exit 1; }
  echo "$src" >"$stamp"
}

buildMpg123() {
  local triplet=$1 src=$2 prefix=$3 stamp=$3/.stamp-libmpg123
  built "$stamp" "$src" && { log "$triplet libmpg123 up to date"; return; }
  log "$triplet libmpg123 from $(basename "$src")"
  local b=$work/build/$triplet/libmpg123
  rm -rf "$b"
  mkdir -p "$b"
  # Only the decoder library is built and installed: no programs, no output
  # modules, no out123 or syn123. pkg-config is kept to the prefix so that
  # configure does not pick up the build machine's audio libraries.
  (cd "$b" && PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" "$src/configure" --host="$triplet" \
    --prefix="$prefix" CC="$triplet-gcc-posix" --enable-static --disable-shared \
    --disable-modules --with-audio=dummy --enable-network=no --enable-ipv6=no) >"$b.log" 2>&1 ||
    { tail -n 30 "$b.log" >&2; exit 1; }
  local only=(lib_LTLIBRARIES=src/libmpg123/libmpg123.la
    nodist_include_HEADERS=src/libmpg123/mpg123.h pkgconfig_DATA=libmpg123.pc)
  { nice -n 10 make -C "$b" -j"$jobs" src/libmpg123/libmpg123.la libmpg123.pc &&
    make -C "$b" "${only[@]}" install-libLTLIBRARIES install-nodist_includeHEADERS \
      install-includeHEADERS install-pkgconfigDATA; } >>"$b.log" 2>&1 ||
    { tail -n 30 "$b.log" >&2; exit 1; }
  echo "$src" >"$stamp"
}

start=$(date +%s)
installTools
privateApt
jpegSrc=$(fetchSource libjpeg-turbo "${jpegVersions[@]}")
pngSrc=$(fetchSource libpng1.6 "${pngVersions[@]}")
mpg123Src=$(fetchSource mpg123 "${mpg123Versions[@]}")
for triplet in "${triplets[@]}"; do
  prefix=$deps/$triplet
  mkdir -p "$prefix"
  buildJpeg "$triplet" "$jpegSrc" "$prefix"
  buildPng "$triplet" "$pngSrc" "$prefix"
  buildMpg123 "$triplet" "$mpg123Src" "$prefix"
done

log "done in $(($(date +%s) - start)) s"
for triplet in "${triplets[@]}"; do
  for lib in libjpeg.a libpng16.a libmpg123.a; do
    f=$deps/$triplet/lib/$lib
    [ -f "$f" ] || { echo "build-windows-deps: $f is missing" >&2; exit 1; }
    printf '  %-20s %-12s %8d KiB\n' "$triplet" "$lib" $(($(stat -c %s "$f") / 1024))
  done
done
