#!/usr/bin/env bash
# The windowed run of the release archive's own Ostrel.exe on a virtual X display, against the
# Windows test camera, watched by dialog_driver.exe in the same prefix: the status text, state
# picture, progress and identity fields of each end state (no camera, finished, failed, up to
# date) and its picture again after the window is redrawn, the updating state with Close
# refused, Close accepted at rest, and a PNG screenshot of each state. Each run is in a program
# folder unzipped from the archive, with a pid.ini and an image added, as an operator makes it.
# All of it twice: with the camera's setup entry where Windows 10 and 11 file it (the camera
# class, with the screenshots) and where Windows 7 does (the imaging class).
#
# usage: windowed_run_test.sh <wine runner> <archive folder> <wincam.dll> <wincam_register.exe>
#                             <ostrel_image_maker.exe> <dialog_driver.exe> <work folder>
#                             <screenshot folder>
set -euo pipefail
[ $# -eq 8 ] || { echo "usage: $0 <wine runner> <archive folder> <wincam.dll>" \
                       "<wincam_register.exe> <ostrel_image_maker.exe> <dialog_driver.exe>" \
                       "<work folder> <screenshot folder>" >&2; exit 2; }
wine=$1 archives=$2 wincam=$3 register=$4 image_maker=$5 driver=$6 work=$7 shots=$8

if ! command -v Xvfb >/dev/null; then
  echo "Xvfb is not installed: the windowed run is not tested"
  exit 77
fi
command -v convert >/dev/null || { echo "imagemagick's convert is needed for the screenshots" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work" "$shots"

source "$(dirname "$0")/../../support/virtual_display.sh"
source "$(dirname "$0")/../../support/wincam.sh"
stop() {
  unregister_wincam "$wine" "$register" >/dev/null 2>&1 || true
  stop_virtual_display
}
trap stop EXIT
trap 'exit 1' INT TERM HUP
start_virtual_display "$work" 1024x768
export DISPLAY=$virtual_display

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# expect <scenario> <line>: the driver wrote exactly this line.
expect() { grep -Fxq -- "$2" "$work/$1/driver.out" || fail "$1: no line '$2'"; }
# expect_match <scenario> <extended regular expression>: a line of the driver matches it.
expect_match() { grep -Eq -- "$2" "$work/$1/driver.out" || fail "$1: no line matching '$2'"; }

# run <scenario> <camera firmware, or "none"> <camera keys> <end screenshot, or "" for none kept>
#     [<updating screenshot>]
# Makes the program folder (the archive's, with pid.ini and image 0107 in bin/) and the
# camera's folder, registers the camera (or none), and lets the driver watch the windowed run.
run() {
  local scenario=$1 firmware=$2 keys=$3 end_shot=$4 updating_shot=${5:-}
  local dir="$work/$scenario"
  mkdir -p "$dir/camera"
  unpack_program_folder "$archives" "$dir/program"
  add_zel_firmware "$wine" "$image_maker" "$dir/program" 0107
  # The first 20 KiB carry everything the updater reads; a shorter download keeps a slowed
  # camera's run short.
  truncate -s 20480 "$dir/program/bin/zel.bin"
  if [ "$firmware" = none ]; then
    unregister_wincam "$wine" "$register"
  else
    "$wine" "$image_maker" zel "$firmware" "$(windows_path "$dir/camera/camera1.flash")"
    write_zel_world "$dir/camera" 1 ${keys:+"$keys"}
    register_wincam "$wine" "$wincam" "$register" "$dir/camera"
  fi
  local shots_args=("$(windows_path "$dir/end.bmp")")
  [ -z "$updating_shot" ] || shots_args+=("$(windows_path "$dir/updating.bmp")")
  # On a Wine virtual desktop, which draws the window frame and caption a window manager
  # would; it passes the driver's output on, not its exit code, so the lines tell.
  "$wine" explorer /desktop=ostrel-dialog,640x480 "$(windows_path "$driver")" \
    "$(windows_path "$dir/program/Ostrel.exe")" "${shots_args[@]}" >"$dir/driver.out"
  tr -d '\r' <"$dir/driver.out" >"$dir/driver.lines" && mv "$dir/driver.lines" "$dir/driver.out"
  sed "s/^/$scenario: /" "$dir/driver.out"
  [ -z "$end_shot" ] || [ ! -f "$dir/end.bmp" ] || convert "$dir/end.bmp" "$shots/$end_shot.png"
  [ -z "$end_shot" ] || [ ! -f "$dir/updating.bmp" ] || convert "$dir/updating.bmp" "$shots/$updating_shot.png"
}

readonly identity='vid="0408" pid="2040" from="0105 ->" to="0107"'

# windowed_runs <scenario suffix> <keep screenshots: yes or no>
windowed_runs() {
  local suffix=$1 keep=$2
  local no_camera=no-camera$suffix update=update$suffix failed=failed$suffix up_to_date=up-to-date$suffix
  shot_name() { [ "$keep" = no ] || echo "$1"; }

  run "$no_camera" none "" "$(shot_name no-camera)"
  expect "$no_camera" 'end close=enabled picture=134 status="No camera!" vid="" pid="" from="" to="" position=0 percent="0%"'
  expect "$no_camera" 'repainted picture=134'
  expect "$no_camera" 'close accepted, exit code 1'

  # Each request takes a millisecond, so the update runs for seconds.
  run "$update" 0105 "RequestDelayUs=1000" "$(shot_name finished)" updating
  expect_match "$update" "^state close=disabled picture=130 status=\"Don't turn off power!\" $identity position=[0-9]+ "
  expect "$update" 'screenshot updating written'
  expect_match "$update" '^close pressed while updating at position [1-9][0-9]*$'
  expect_match "$update" '^close refused while updating: window open, position [0-9]+ -> [0-9]+$'
  expect "$update" "end close=enabled picture=131 status=\"Update finish!\" $identity position=100 percent=\"100%\""
  expect "$update" 'repainted picture=131'
  expect "$update" 'close accepted, exit code 0'

  # The camera is gone after 11000 requests, in the middle of writing the image.
  run "$failed" 0105 "UnplugAfter=11000" "$(shot_name failed)"
  expect "$failed" "end close=enabled picture=135 status=\"Please re-open me!\" $identity position=100 percent=\"100%\""
  expect "$failed" 'repainted picture=135'
  expect "$failed" 'close accepted, exit code 5'

  run "$up_to_date" 0107 "" "$(shot_name up-to-date)"
  expect "$up_to_date" 'end close=enabled picture=134 status="FW is up-to-date!" vid="0408" pid="2040" from="0107 ->" to="0107" position=0 percent="0%"'
  expect "$up_to_date" 'repainted picture=134'
  expect "$up_to_date" 'close accepted, exit code 0'
}

wincam_setup_class=Camera windowed_runs "" yes
wincam_setup_class=Image windowed_runs -windows7 no

for shot in no-camera updating finished failed up-to-date; do
  [ -f "$shots/$shot.png" ] || fail "no screenshot $shots/$shot.png"
done
echo "screenshots in $shots"
[ "$failures" -eq 0 ]
