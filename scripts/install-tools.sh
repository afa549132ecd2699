#!/usr/bin/env bash
# Installs the Debian packages a task needs, only those missing: "demo" (the native build and
# the simulation kit) or "all" (every build and test of scripts/test-all.sh). Run as root, or
# with sudo at hand; otherwise it names what is missing and fails.
#
# usage: install-tools.sh demo|all
set -euo pipefail

demo=(cmake ninja-build g++ libgtest-dev)
all=("${demo[@]}" file libgtest-dev googletest libbenchmark-dev g++-mingw-w64-i686-posix
     g++-mingw-w64-x86-64-posix wine64 unzip xvfb imagemagick libgtk-3-dev xdotool pkg-config
     dpkg-dev clang libclang-rt-14-dev doxygen mandoc groff-base lintian wine32:i386
     qemu-system-x86 busybox-static)

case "${1:-}" in
  demo) wanted=("${demo[@]}") ;;
  all) wanted=("${all[@]}") ;;
  *) echo "usage: $0 demo|all" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" = 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them as root: apt-get install ${missing[*]}" >&2
  [[ " ${missing[*]} " != *":i386 "* ]] ||
    echo "(first dpkg --add-architecture i386 and apt-get update)" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
# 32-bit Wine comes from the i386 architecture, which a fresh amd64 machine does not have yet.
if [[ " ${missing[*]} " == *":i386 "* ]] &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
# A mirror in the middle of a sync serves index files of the wrong size for a while: try again,
# and in the end go on with what was fetched, since the install says plainly what is missing.
for attempt in 1 2 3 4; do
  "${as_root[@]}" apt-get update -qq && break
  [ "$attempt" = 4 ] || { echo "apt-get update failed; again in 30 s" >&2; sleep 30; }
done
# 32-bit Wine needs the i386 index of every suite to match the installed amd64 libraries; when
# the mirror cannot give it, everything else is still installed and the win32 tests are skipped
# with their reason (the build's emulator check finds no 32-bit Wine).
native=() foreign=()
for package in "${missing[@]}"; do
  if [[ $package == *:i386 ]]; then foreign+=("$package"); else native+=("$package"); fi
done
[ ${#native[@]} -eq 0 ] ||
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${native[@]}" >/dev/null
if [ ${#foreign[@]} -gt 0 ] &&
   ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${foreign[@]}" \
       >/dev/null; then
  echo "WARNING: ${foreign[*]} cannot be installed from this mirror: the 32-bit tests will not run" >&2
fi
