#!/bin/sh
# Runs a 64-bit Windows program under wine64 in a private prefix shared by one build.
: "${WINEPREFIX:=${TMPDIR:-/tmp}/ostrel-wine64-prefix}"
export WINEPREFIX WINEARCH=win64
exec "$(dirname "$0")/wine-run.sh" /usr/lib/wine/wine64 "$@"
