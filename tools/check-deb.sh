#!/usr/bin/env bash
# Builds the Debian package, checks its declared dependencies and its file
# list, unpacks it into a fresh root and runs the unpacked program there.
# Another build folder can be given in $BUILD_DIR (default build-deb).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-deb}

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DSLIDORA_TESTS=OFF -DSLIDORA_BENCH=OFF ${CMAKE_ARGS:-}
cmake --build "$BUILD_DIR" -j"$(nproc)"
rm -f "$BUILD_DIR"/slidora_*.deb
(cd "$BUILD_DIR" && cpack -G DEB)
DEB=$(ls "$BUILD_DIR"/slidora_*.deb)
echo "== $DEB: $(stat -c %s "$DEB") bytes"

fail() { echo "FAIL: $*" >&2; exit 1; }

info=$(dpkg-deb -I "$DEB")
echo "$info"
depends=$(dpkg-deb -f "$DEB" Depends)
for need in libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo libpng16-16 libmpg123-0 libsdl2-2.0-0 \
  libsdl2-mixer-2.0-0 libx11-6 libxext6 qt6-qpa-plugins fonts-ipafont-gothic; do
  grep -qE "(^|, )$need( |,|$)" <<<"$depends" || fail "Depends lacks $need: $depends"
done
# The program's own library is inside the package, not a dependency.
grep -q vbmp3 <<<"$depends" && fail "Depends names the package's own library: $depends"

contents=$(dpkg-deb -c "$DEB")
echo "$contents"
for path in ./usr/lib/slidora/slidora ./usr/lib/slidora/libvbmp3.so ./usr/lib/slidora/libresize32.so \
  ./usr/lib/slidora/libslidora_mixer.so \
  ./usr/share/applications/slidora.desktop ./usr/share/icons/hicolor/scalable/apps/slidora.svg \
  ./usr/share/man/man1/slidora.1.gz ./usr/share/xscreensaver/config/slidora.xml; do
  grep -qE " $path\$" <<<"$contents" || fail "package lacks $path"
done
grep -qE " ./usr/bin/slidora -> ../lib/slidora/slidora\$" <<<"$contents" || fail "package lacks the link usr/bin/slidora"

ROOT=$(mktemp -d /tmp/slidora-deb-XXXXXX)
trap 'rm -rf "$ROOT"' EXIT
dpkg-deb -x "$DEB" "$ROOT"
grep -q '^Name=Slidora の設定$' "$ROOT/usr/share/applications/slidora.desktop" || fail "desktop entry name"
grep -q '^Categories=Settings;DesktopSettings;$' "$ROOT/usr/share/applications/slidora.desktop" || fail "desktop entry categories"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$ROOT/usr/share/applications/slidora.desktop"; fi
# The unpacked program finds its library through its own RPATH. (ldd is
# given the program itself: through the link, it would take the link's
# folder for $ORIGIN, where the loader of a started program does not.)
libs=$(env -u LD_LIBRARY_PATH ldd "$ROOT/usr/lib/slidora/slidora")
grep -qF "libvbmp3.so => $ROOT/usr/lib/slidora/libvbmp3.so" <<<"$libs" || fail "libvbmp3.so not found beside the program: $libs"
grep -q 'not found' <<<"$libs" && fail "unresolved libraries: $libs"
# The loader searches the package's folder and nothing else: an empty or
# relative entry would make it look for libraries in the current folder.
for elf in "$ROOT"/usr/lib/slidora/*; do
  [ -L "$elf" ] && continue
  runpath=$(readelf -d "$elf" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]$/\1/p;s/.*(RPATH).*\[\(.*\)\]$/\1/p')
  [ -z "$runpath" ] || [ "$runpath" = '$ORIGIN' ] || fail "$elf: search path '$runpath', not \$ORIGIN alone"
done
version=$(env -u LD_LIBRARY_PATH "$ROOT/usr/bin/slidora" --version)
[ "$version" = "slidora $(dpkg-deb -f "$DEB" Version)" ] || fail "--version said: $version"
echo "== installed program: $version"
# Every dependency resolves on this system's package lists.
apt-get install --simulate --no-install-recommends "./$DEB" >/dev/null || fail "the package's dependencies do not resolve"
echo "ok: $DEB"
