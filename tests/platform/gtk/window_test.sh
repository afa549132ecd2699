#!/usr/bin/env bash
# The dialog in the GTK window on a virtual X display: the windowed run of the updater through
# each state (gtk_windowed_run_test), then the real ostrel with libostrel-gtk.so beside it,
# which opens the window on a display, is closed with a click on Close, and runs in the
# terminal when there is no display, no module, or a display it cannot open. PNG screenshots
# of the states land in the screenshot folder.
#
# usage: window_test.sh <gtk_windowed_run_test> <ostrel> <libostrel-gtk.so> <work folder>
#                       <screenshot folder>
set -euo pipefail
[ $# -eq 5 ] || { echo "usage: $0 <gtk_windowed_run_test> <ostrel> <libostrel-gtk.so>" \
                       "<work folder> <screenshot folder>" >&2; exit 2; }
run_test=$1 ostrel=$2 module=$3 work=$4 shots=$5

if ! command -v Xvfb >/dev/null; then
  echo "Xvfb is not installed: the window is not tested"
  exit 77
fi
for tool in xdotool import iconv; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (packages xdotool, imagemagick)" >&2; exit 1; }
done

rm -rf "$work"
mkdir -p "$work" "$shots"

source "$(dirname "$0")/../../support/virtual_display.sh"
trap stop_virtual_display EXIT
trap 'exit 1' INT TERM HUP
start_virtual_display "$work" 480x320
display=$virtual_display

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DISPLAY=$display OSTREL_SCREENSHOTS=$shots "$run_test" || fail "gtk_windowed_run_test"

# A program folder without pid.ini or camera: the run ends as "No camera!" with code 1.
program() {
  local dir="$work/$1"
  mkdir -p "$dir/bin"
  cp "$ostrel" "$dir/"
  [ "$2" = without-module ] || cp "$module" "$dir/"
  printf '%s' "$dir"
}
logged_no_camera() { iconv -f UTF-16LE -t UTF-8 "$1/bin/Ostrel_sp.log" | grep -q 'No Camera found!'; }

# The window: found by its caption, shown, then closed by a click on its Close button.
dir=$(program window with-module)
DISPLAY=$display timeout 60 "$dir/ostrel" </dev/null >"$dir/stdout" 2>"$dir/stderr" &
ostrel_pid=$!
window=$(DISPLAY=$display timeout 30 xdotool search --sync --onlyvisible --name '^NORV camera update v4\.0$' | head -n1) ||
  fail "window: no window appeared"
if [ -n "${window:-}" ]; then
  sleep 0.5  # its first frame
  DISPLAY=$display import -window root "$shots/no-camera.png"
  # Close sits at 116,68 (32 x 15 dialog units): its middle in pixels.
  DISPLAY=$display xdotool mousemove --window "$window" 231 142 click 1
fi
code=0
wait "$ostrel_pid" || code=$?
[ "$code" -eq 1 ] || fail "window: exit code $code, not 1"
[ ! -s "$dir/stdout" ] || fail "window: the terminal view was drawn too: $(cat "$dir/stdout")"
logged_no_camera "$dir" || fail "window: no 'No Camera found!' in the log"

# terminal <name> <module?> <display or "none">: the dialog runs in the terminal instead.
terminal() {
  local dir code=0
  dir=$(program "$1" "$2")
  if [ "$3" = none ]; then
    env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 "$dir/ostrel" </dev/null >"$dir/stdout" 2>"$dir/stderr" || code=$?
  else
    env -u WAYLAND_DISPLAY DISPLAY="$3" timeout 60 "$dir/ostrel" </dev/null >"$dir/stdout" 2>"$dir/stderr" || code=$?
  fi
  [ "$code" -eq 1 ] || fail "$1: exit code $code, not 1"
  grep -q 'No camera!' "$dir/stdout" || fail "$1: no terminal view: $(cat "$dir/stdout")"
  logged_no_camera "$dir" || fail "$1: no 'No Camera found!' in the log"
  if [ "$3" = none ]; then
    [ ! -s "$dir/stderr" ] || fail "$1: said $(cat "$dir/stderr")"
  else
    grep -q '^Ostrel: no window (.*), the dialog runs in the terminal$' "$dir/stderr" ||
      fail "$1: no reason given: $(cat "$dir/stderr")"
  fi
}
terminal no-display with-module none
terminal no-module without-module "$display"
terminal display-unreachable with-module ":$(( ${display#:} + 100 ))"

for shot in no-camera updating finished failed up-to-date; do
  [ -f "$shots/$shot.png" ] || fail "no screenshot $shots/$shot.png"
done
echo "screenshots in $shots"
[ "$failures" -eq 0 ]
