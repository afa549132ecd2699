#!/bin/sh
# Runs a 32-bit Windows program under 32-bit Wine in a private prefix shared by one build.
: "${WINEPREFIX:=${TMPDIR:-/tmp}/ostrel-wine32-prefix}"
export WINEPREFIX WINEARCH=win32
exec "$(dirname "$0")/wine-run.sh" /usr/lib/wine/wine "$@"
