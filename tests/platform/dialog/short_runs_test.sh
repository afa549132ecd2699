#!/usr/bin/env bash
# Windowed runs of the release archive's own Ostrel.exe whose engine ends at once, over and over,
# with one core kept busy: the runs in which the updater starts its engine thread and its
# supervision thread back to back and the first has ended before the second starts. Each run is
# watched by dialog_closer.exe, which presses Close every 100 ms; a run whose supervision never
# ran refuses Close for ever and counts as hung after the limit, and one that ends before any
# press never showed its window. Two outcomes in turns, against
# the Windows test camera (a ZEL camera at 0105, image 0107 beside the program):
#   r-path           pid.ini names chip vendor 2, which needs no update: exit 0
#   library-missing  the archive without Tandrel.dll: exit 5
# OSTREL_SHORT_RUNS sets the runs of each outcome (default 12).
#
# usage: short_runs_test.sh <wine runner> <archive folder> <wincam.dll> <wincam_register.exe>
#                           <ostrel_image_maker.exe> <dialog_closer.exe> <work folder>
set -euo pipefail
[ $# -eq 7 ] || { echo "usage: $0 <wine runner> <archive folder> <wincam.dll>" \
                       "<wincam_register.exe> <ostrel_image_maker.exe> <dialog_closer.exe>" \
                       "<work folder>" >&2; exit 2; }
wine=$1 archives=$2 wincam=$3 register=$4 image_maker=$5 closer=$6 work=$7
runs=${OSTREL_SHORT_RUNS:-12}
readonly limit_s=60

if ! command -v Xvfb >/dev/null; then
  echo "Xvfb is not installed: the windowed runs are not tested"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work/camera"
source "$(dirname "$0")/../../support/virtual_display.sh"
source "$(dirname "$0")/../../support/wincam.sh"
spinner=
stop() {
  [ -z "$spinner" ] || kill "$spinner" 2>/dev/null || true
  unregister_wincam "$wine" "$register" >/dev/null 2>&1 || true
  stop_virtual_display
}
trap stop EXIT
trap 'exit 1' INT TERM HUP
start_virtual_display "$work" 1024x768
export DISPLAY=$virtual_display

for outcome in r-path library-missing; do
  unpack_program_folder "$archives" "$work/$outcome"
  add_zel_firmware "$wine" "$image_maker" "$work/$outcome" 0107
done
sed -i 's/^CHIP=4/CHIP=2/' "$work/r-path/pid.ini"
rm "$work/library-missing/Tandrel.dll"
"$wine" "$image_maker" zel 0105 "$(windows_path "$work/camera/camera1.flash")"
write_zel_world "$work/camera" 1
register_wincam "$wine" "$wincam" "$register" "$work/camera"

( while :; do :; done ) &
spinner=$!

declare -A expected=([r-path]=0 [library-missing]=5) ended hung other
for round in $(seq "$runs"); do
  for outcome in r-path library-missing; do
    # On a Wine virtual desktop of this display: the prefix's own desktop keeps the display of
    # the session's first program, which may be another test's, long gone.
    out=$(closed_windowed_run "$wine" ostrel-short-runs "$closer" "$work/$outcome/Ostrel.exe" "$limit_s")
    code=other
    [[ $out =~ ^"exit code "([0-9]+)" after "[1-9][0-9]*" presses"$ ]] && code=${BASH_REMATCH[1]}
    [[ $out != "close refused "* ]] || code=hung
    if [ "$code" = hung ]; then
      hung[$outcome]=$(( ${hung[$outcome]:-0} + 1 ))
      echo "$outcome run $round: $out"
    elif [ "$code" != "${expected[$outcome]}" ]; then
      other[$outcome]=$(( ${other[$outcome]:-0} + 1 ))
      echo "$outcome run $round: expected exit code ${expected[$outcome]} after a press or more: $out"
    else
      ended[$outcome]=$(( ${ended[$outcome]:-0} + 1 ))
    fi
  done
done

failed=0
for outcome in r-path library-missing; do
  printf '%-16s %3d windowed runs: %3d ended with %d, %d refused Close for %d s, %d other exits\n' \
    "$outcome" "$runs" "${ended[$outcome]:-0}" "${expected[$outcome]}" "${hung[$outcome]:-0}" \
    "$limit_s" "${other[$outcome]:-0}"
  [ "${ended[$outcome]:-0}" = "$runs" ] || failed=1
done
exit "$failed"
