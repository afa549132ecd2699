#!/usr/bin/env bash
# Checks a Windows release build as it ships: Tandrel.dll exports exactly the functions that
# tandrel.def and tandrel.h name, Ostrel and Tandrel import nothing but Windows system DLLs,
# and both carry a version block with the project's product version.
# Usage: check-windows-release.sh TOOL_PREFIX BUILD_DIR   (e.g. i686-w64-mingw32 build/win32)
set -euo pipefail
tools=$1 build=$2
exe=$build/updater/ostrel.exe dll=$build/library/Tandrel.dll
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
source_dir=$(cache_value CMAKE_HOME_DIRECTORY)
version=$(cache_value CMAKE_PROJECT_VERSION)
header=$source_dir/include/tandrel.h def=$source_dir/library/tandrel.def
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# An i686 stdcall name carries "@<argument bytes>" (and may carry a leading "_"); compare
# the names as the C source spells them.
undecorate() { sed -E 's/^[_@]?([A-Za-z_][A-Za-z0-9_]*)@[0-9]+$/\1/' | sort; }

dll_names=$("$tools-objdump" -p "$dll" | awk '
  /^\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
  table && /^[ \t]*\[ *[0-9]+\]/ { print $NF; next }
  { table = 0 }' | undecorate)
def_names=$(awk '
  toupper($1) == "EXPORTS" { exports = 1; next }
  exports && NF && $1 !~ /^;/ { sub(/=.*/, "", $1); print $1 }' "$def" | undecorate)
# Declarations: comments and preprocessor lines dropped, then the name before the "(" of
# every "TANDREL_API ... name(".
header_names=$(perl -0777 -pe 's{/\*.*?\*/}{}gs; s{//[^\n]*}{}g; s{^[ \t]*#[^\n]*}{}gm' "$header" |
  tr '\n' ' ' | grep -oE 'TANDREL_API[^;(]*\(' | grep -oE '[A-Za-z_][A-Za-z0-9_]*[ ]*\($' |
  tr -d ' (' | sort)

for list in dll_names def_names header_names; do
  repeated=$(uniq -d <<<"${!list}")
  [ -z "$repeated" ] || fail "$list names twice: $(echo $repeated)"
done
all_names=$(sort -u <<<"$dll_names
$def_names
$header_names")
for name in $all_names; do
  missing=()
  grep -qx "$name" <<<"$dll_names" || missing+=("the export table of Tandrel.dll")
  grep -qx "$name" <<<"$def_names" || missing+=("tandrel.def")
  grep -qx "$name" <<<"$header_names" || missing+=("tandrel.h")
  if [ ${#missing[@]} -gt 0 ]; then
    where=$(printf '%s, ' "${missing[@]}")
    fail "$name is missing from ${where%, }"
  fi
done
[ $failed -eq 1 ] || echo "exports: Tandrel.dll, tandrel.def and tandrel.h name the same $(wc -l <<<"$all_names") functions"

# Windows system DLLs the shipped binaries may import; anything else would have to ship
# beside them.
system_dlls=(kernel32 user32 gdi32 comctl32 ole32 oleaut32 advapi32 shell32 setupapi cfgmgr32 msvcrt)
for file in "$exe" "$dll"; do
  imports=$("$tools-objdump" -p "$file" | sed -n 's/^[ \t]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  [ -n "$imports" ] || fail "$file: no import table found"
  for import in $imports; do
    [[ " ${system_dlls[*]} " == *" ${import%.dll} "* ]] || fail "$file imports $import, not a Windows system DLL"
  done
  echo "imports: $(basename "$file"): $(echo $imports)"
done

# Version block, read back from the binary's resources: "4.0" is PRODUCTVERSION 4, 0, 0, 0.
IFS=. read -r major minor patch tweak <<<"$version"
version_numbers="${major:-0}, ${minor:-0}, ${patch:-0}, ${tweak:-0}"
for entry in "$exe:Ostrel" "$dll:Tandrel"; do
  file=${entry%:*} product=${entry##*:}
  resources=$("$tools-windres" -i "$file" -O rc 2>/dev/null) || resources=
  block=$(sed -n '/^[0-9A-Za-z_]* VERSIONINFO/,/^END/p' <<<"$resources")
  numbers=$(sed -n 's/^ *PRODUCTVERSION //p' <<<"$block")
  text=$(sed -n 's/^ *VALUE "ProductVersion", "\(.*\)"$/\1/p' <<<"$block")
  name=$(sed -n 's/^ *VALUE "ProductName", "\(.*\)"$/\1/p' <<<"$block")
  if [ -z "$block" ]; then
    fail "$file has no version block"
    continue
  fi
  [ "$numbers" = "$version_numbers" ] || fail "$file: PRODUCTVERSION '$numbers', expected '$version_numbers'"
  [ "$text" = "$version" ] || fail "$file: ProductVersion '$text', expected '$version'"
  [ "$name" = "$product" ] || fail "$file: ProductName '$name', expected '$product'"
  echo "version: $(basename "$file"): $name $text ($numbers)"
done
exit $failed
