#!/bin/sh
# Runs a Windows program under Wine in a private prefix shared by one build (the prefix's word
# size and loader from cmake/wine32-run.sh or cmake/wine64-run.sh).
#
# usage: WINEPREFIX=<folder> WINEARCH=win32|win64 wine-run.sh <loader> <program> [<argument>...]
#
# The prefix is made on first use. The first program of a prefix also starts the prefix's Wine
# server and services, which inherit its standard error and hold it open until the server ends,
# so ctest would count that test as running until every later one had ended. Both are done here
# instead, under a lock and with nothing to inherit, and the server outlives its last program by
# 10 s, so that the short gaps between tests do not start it again.
set -e
wine=$1
shift
export WINEDEBUG="${WINEDEBUG:--all}"
if [ ! -x "$wine" ]; then
  echo "$0: $wine is not installed (Debian package wine32:i386 or wine64)" >&2
  exit 126
fi
mkdir -p "$WINEPREFIX"
if ! flock -o "$WINEPREFIX/.ostrel-lock" sh -c '
  /usr/lib/wine/wineserver -p10 || exit 0  # already running: the prefix is made and up
  if [ -f "$WINEPREFIX/.ostrel-made" ]; then
    "$1" wineboot
  else
    "$1" wineboot --init && touch "$WINEPREFIX/.ostrel-made"
  fi' _ "$wine" </dev/null >/dev/null 2>&1; then
  echo "$0: could not start the Wine prefix $WINEPREFIX ($WINEARCH) with $wine" >&2
  exit 126
fi
exec "$wine" "$@"
