#!/bin/sh
# Runs a 64-bit Windows test program under wine64 in a private prefix shared by one build.
: "${WINEPREFIX:=${TMPDIR:-/tmp}/ostrel-wine64-prefix}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
exec /usr/lib/wine/wine64 "$@"
