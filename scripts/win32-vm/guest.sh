#!/usr/bin/env bash
# The win32 tests in their virtual machine (the chroot of scripts/win32-vm/init, with the host's
# own programs): the build's Wine prefix in memory, restored from its tarball or made and kept as
# one the first time; one Wine server for every test, since starting one costs tens of seconds
# here; then ctest with the given arguments, from the source folder. Ends with ctest's status.
#
# usage: guest.sh <source folder> <Wine prefix> <prefix tarball> [ctest argument...]
set -euo pipefail
source=$1 prefix=$2 tarball=$3
shift 3
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
wine=/usr/lib/wine/wine wineserver=/usr/lib/wine/wineserver
say() { echo "vm: $*"; }
since() { echo "$(( $(date +%s) - $1 )) s"; }

started=$(date +%s)
mkdir -p "$prefix"
mount -t tmpfs -o size=2g wine-prefix "$prefix"
if [ -f "$tarball" ]; then
  tar -xf "$tarball" -C "$prefix"
  say "Wine prefix restored from $tarball in $(since "$started")"
else
  # As cmake/wine-run.sh makes one, then saved once its server has ended and written the registry.
  "$wine" wineboot --init >/dev/null 2>&1
  touch "$prefix/.ostrel-made"
  "$wineserver" -w
  tar -cf "$tarball.part" -C "$prefix" . && mv "$tarball.part" "$tarball"
  say "Wine prefix made and kept as $tarball in $(since "$started")"
fi

started=$(date +%s)
# A server that stays until it is told to end; the runner of each test (cmake/wine-run.sh) finds
# it up and starts no other.
"$wineserver" -p
"$wine" wineboot >/dev/null 2>&1
say "Wine server and services up in $(since "$started")"

started=$(date +%s)
status=0
(cd "$source" && ctest "$@") || status=$?
say "ctest ran $(since "$started")"
"$wineserver" -k || true
exit "$status"
