#!/usr/bin/env bash
# Checks a cross-built Windows program or DLL with objdump -p:
#   tools/check-windows-exports.sh [--allow DLL]... FILE [EXPORT...]
# FILE must import only DLLs that every Windows system has (nothing from the
# compiler's runtime: libstdc++, libgcc, winpthread), and those named with
# --allow (our own DLLs that ship beside it). With EXPORT names given,
# its export table must hold exactly those names, undecorated (a stdcall name
# such as _ResizeImg@32 means the .def file was not applied); without them it
# must export nothing.
set -euo pipefail
allowed=()
while [ "${1:-}" = --allow ]; do
  allowed+=("$(tr '[:upper:]' '[:lower:]' <<<"$2")")
  shift 2
done
[ $# -ge 1 ] || { echo "usage: $0 FILE [EXPORT...]" >&2; exit 2; }
file=$1
shift
[ -f "$file" ] || { echo "check-windows-exports: $file: no such file" >&2; exit 2; }

objdump=
for tool in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump objdump; do
  command -v "$tool" >/dev/null && "$tool" -p "$file" >/dev/null 2>&1 && { objdump=$tool; break; }
done
[ -n "$objdump" ] || { echo "check-windows-exports: no objdump reads $file" >&2; exit 2; }
dump=$("$objdump" -p "$file")

# Lower-case names, as the loader compares them.
systemDlls=(advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll
  msvcrt.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll
  winmm.dll ws2_32.dll)
isSystemDll() {
  local d
  [[ $1 == api-ms-win-* ]] && return 0
  for d in "${systemDlls[@]}" "${allowed[@]}"; do [ "$1" = "$d" ] && return 0; done
  return 1
}

failed=0
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
while read -r dll; do
  [ -n "$dll" ] || continue
  lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
  if ! isSystemDll "$lower"; then
    echo "check-windows-exports: $file imports $dll, which is not a system DLL" >&2
    failed=1
  fi
done <<<"$imports"

# The names of the export table: the lines after "[Ordinal/Name Pointer] Table"
# up to the blank line ending it.
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {inTable = 1; next}
  inTable && NF == 0 {inTable = 0}
  inTable {sub(/^[[:space:]]*\[[[:space:]]*[0-9]+\][[:space:]]*/, ""); print}' <<<"$dump" | sort)
want=$(printf '%s\n' "$@" | sed '/^$/d' | sort)
if [ "$exports" != "$want" ]; then
  echo "check-windows-exports: $file exports:" >&2
  # shellcheck disable=SC2086 # one name a line
  printf '  %s\n' ${exports:-"(nothing)"} >&2
  echo "  instead of:" >&2
  # shellcheck disable=SC2086
  printf '  %s\n' ${want:-"(nothing)"} >&2
  failed=1
fi
if grep -q '@' <<<"$exports"; then
  echo "check-windows-exports: $file exports decorated stdcall names" >&2
  failed=1
fi

if [ $failed -eq 0 ]; then
  echo "check-windows-exports: $file: exports {$(tr '\n' ' ' <<<"$exports" | sed 's/ *$//')}," \
    "imports {$(tr '\n' ' ' <<<"$imports" | sed 's/ *$//')}"
fi
exit $failed
