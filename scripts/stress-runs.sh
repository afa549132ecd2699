#!/usr/bin/env bash
# Whole runs of the simulated updater, over and over: every outcome, windowed and silent, each
# run watched for a hang (a run still going after the limit counts as one, and is ended).
# Prints one row per view and outcome: runs, hangs, the longest run and the exit codes seen;
# exit status 0 when every run ended within the limit with its outcome's exit code.
#
# usage: scripts/stress-runs.sh [options] <build folder | simulation kit> <native|win32|win64> <count>
#   count            runs of each outcome in each view, taken in turns (outcome by outcome)
#   --views LIST     windowed,silent (the default) or one of them. Windowed on Windows: the dialog
#                    on a virtual display, Close pressed every 100 ms by dialog_closer.exe from the
#                    moment it shows a status line; natively: the terminal view, which presses
#                    Close once the run has come to rest
#   --outcomes LIST  some of: zel-update zel-up-to-date r-path sonix-update sunplus-update
#                    no-camera no-firmware not-loadable unknown-vendor update-failed
#                    library-missing gave-up (default: all)
#   --load           keeps one core busy with a loop of this script's priority during the runs
#   --limit S        seconds after which a run counts as hung (default 60)
#   --work DIR       scratch folder (default: a new one under ${TMPDIR:-/tmp})
#   --prefix DIR     the Wine prefix (default: <work>/wine-prefix, made on first use, which
#                    takes some seconds; a 32-bit one for win32)
#   --display :N     the X display to start Xvfb on for windowed Windows runs (default: a free one)
#   --closer EXE     dialog_closer.exe, when the first argument is a kit rather than a build folder
# The kit is build/<preset>/sim-kit; a build folder gives its sim-kit and its dialog_closer.exe.
set -euo pipefail
# windows_path and camera_section
source "$(dirname "$0")/../tests/support/wincam.sh"
usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2; }

views=windowed,silent
outcomes="zel-update zel-up-to-date r-path sonix-update sunplus-update no-camera no-firmware
          not-loadable unknown-vendor update-failed library-missing gave-up"
load=false limit=60 work= prefix= display= closer=
while [ $# -gt 0 ]; do
  case $1 in
    --views) views=$2; shift 2 ;;
    --outcomes) outcomes=${2//,/ }; shift 2 ;;
    --load) load=true; shift ;;
    --limit) limit=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --prefix) prefix=$2; shift 2 ;;
    --display) display=$2; shift 2 ;;
    --closer) closer=$2; shift 2 ;;
    -h|--help) usage ;;
    -*) echo "unknown option $1" >&2; usage ;;
    *) break ;;
  esac
done
[ $# -eq 3 ] || usage
source=$1 platform=$2 count=$3
case $platform in native|win32|win64) ;; *) echo "platform: native, win32 or win64" >&2; exit 2 ;; esac
[[ $count =~ ^[1-9][0-9]*$ ]] || { echo "count: a positive number" >&2; exit 2; }

kit=$source
if [ -d "$source/sim-kit" ]; then
  kit=$source/sim-kit
  [ -n "$closer" ] || [ "$platform" = native ] || closer=$source/tests/platform/dialog/dialog_closer.exe
fi
program=ostrel
[ "$platform" = native ] || program=ostrel.exe
[ -f "$kit/$program" ] || { echo "$kit holds no $program: not a $platform simulation kit" >&2; exit 2; }
if [ "$platform" != native ] && [[ ,$views, == *,windowed,* ]]; then
  [ -f "$closer" ] || { echo "windowed Windows runs need dialog_closer.exe (--closer)" >&2; exit 2; }
  command -v Xvfb >/dev/null || { echo "windowed Windows runs need Xvfb" >&2; exit 2; }
fi

work=${work:-$(mktemp -d "${TMPDIR:-/tmp}/stress-runs.XXXXXX")}
mkdir -p "$work"
work=$(cd "$work" && pwd)
kit=$(cd "$kit" && pwd)
[ -z "$closer" ] || closer=$(cd "$(dirname "$closer")" && pwd)/$(basename "$closer")
if [ "$platform" != native ]; then
  prefix=${prefix:-$work/wine-prefix}
  mkdir -p "$prefix"
  prefix=$(cd "$prefix" && pwd)
fi

background=()
cleanup() {
  local pid
  for pid in ${background[@]+"${background[@]}"}; do kill "$pid" 2>/dev/null || true; done
  for pid in ${background[@]+"${background[@]}"}; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

if [ "$platform" != native ] && [[ ,$views, == *,windowed,* ]]; then
  if [ -n "$display" ]; then
    Xvfb "$display" -screen 0 1024x768x24 2>"$work/xvfb.log" &
    background+=($!)
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
  else
    source "$(dirname "$0")/../tests/support/virtual_display.sh"
    start_virtual_display "$work" 1024x768
    background+=("$virtual_display_pid")
    display=$virtual_display
  fi
  export DISPLAY=$display
fi

# --- how a program of the platform is run ---
wine=()
if [ "$platform" != native ]; then
  export WINEDEBUG=-all WINEPREFIX=$prefix
  if [ "$platform" = win32 ]; then
    export WINEARCH=win32
    wine=(/usr/lib/wine/wine)
  else
    wine=(/usr/lib/wine/wine64)
  fi
  # A Wine session holds on to the display it began with: wait until the prefix's earlier one
  # has ended, then begin one on this display before the first run, so that no run pays for it.
  "${wine[0]%/*}/wineserver" -w
  "${wine[@]}" wineboot --init >"$work/wineboot.log" 2>&1 ||
    { echo "the Wine prefix $prefix cannot be made: $(tail -n 3 "$work/wineboot.log")" >&2; exit 1; }
fi

# --- the outcomes: each a copy of the kit with its own world ---
declare -A expected=(
  [zel-update]=0 [zel-up-to-date]=0 [r-path]=0 [sonix-update]=0 [sunplus-update]=0
  [no-camera]=1 [no-firmware]=2 [not-loadable]=3 [unknown-vendor]=4 [update-failed]=5
  [library-missing]=5 [gave-up]=6)

zel_camera() { camera_section zel 0408 2040 0105 Flash=camera1.flash RequestDelayUs=60 "$@"; }

# make_case <outcome>: its program folder under <work>/cases, with world.ini kept for resets.
make_case() {
  local outcome=$1 dir=$work/cases/$1 scale=0.2 world
  rm -rf "$dir"
  mkdir -p "$work/cases"
  cp -a "$kit" "$dir"
  case $outcome in
    zel-update) world=$(zel_camera) ;;
    zel-up-to-date) world=$(zel_camera); cp "$dir/bin/zel.bin" "$dir/camera1.flash" ;;
    r-path) world=$(camera_section plain 0c45 5822 0100) ;;
    sonix-update)
      world=$(camera_section sonix 0c45 6366 0100 Flash=sonix.flash RomVersion=232RO RomVersionByte5=1 Serial=SN42) ;;
    sunplus-update) world=$(camera_section sunplus 0c45 2081 0100 Flash=sunplus.flash) ;;
    no-camera) world= ;;
    no-firmware) world=$(camera_section plain 0408 1111 0100) ;;
    not-loadable) world=$(zel_camera); rm "$dir/bin/zel.bin" ;;
    unknown-vendor) world=$(zel_camera); sed -i 's/^CHIP=4/CHIP=7/' "$dir/pid.ini" ;;
    update-failed) world=$(zel_camera UnplugAfter=3000) ;;
    library-missing) world=$(zel_camera); rm -f "$dir/Tandrel.dll" "$dir/libtandrel.so" ;;
    # The camera stops answering in the middle of the update: the silent run gives up after 360
    # polls, the windowed run's supervision after 900 cycles, both scaled down.
    gave-up) world=$(zel_camera StallAfter=3000); scale=0.01 ;;
    *) echo "unknown outcome $outcome" >&2; exit 2 ;;
  esac
  printf '[World]\nTimeScale=%s\n\n%s\n' "$scale" "$world" | sed 's/$/\r/' >"$dir/simcam.ini"
  cp "$dir/camera1.flash" "$dir/camera1.start"
}

# reset <dir>: the camera as before the first run, no settings, log or burnt record left.
reset() {
  cp "$1/camera1.start" "$1/camera1.flash"
  rm -f "$1"/sonix.flash* "$1"/sunplus.flash* "$1/bin/Ostrel_sp.ini" "$1/bin/Ostrel_sp.log"
}

# run_once <view> <dir>: one run; sets code (the exit code, "hang" when it was ended) and ms.
run_once() {
  local view=$1 dir=$2 start rc=0
  start=$(date +%s%N)
  if [ "$platform" = native ]; then
    local args=()
    [ "$view" = windowed ] || args=(-s)
    (cd "$dir" && env -u DISPLAY -u WAYLAND_DISPLAY timeout -k 5 "$limit" ./ostrel "${args[@]}" \
      </dev/null >"$dir/run.out" 2>&1) || rc=$?
  elif [ "$view" = windowed ]; then
    # The closer gives up (124) after the limit; the outer limit catches a closer that hangs.
    (cd "$dir" && timeout -k 5 $((limit + 30)) "${wine[@]}" "$closer" \
      "$(windows_path "$dir/ostrel.exe")" 100 "$limit" </dev/null >"$dir/run.out" 2>&1) || rc=$?
  else
    (cd "$dir" && timeout -k 5 "$limit" "${wine[@]}" ostrel.exe -s </dev/null >"$dir/run.out" 2>&1) || rc=$?
  fi
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  code=$rc
  case $rc in 124|137) code=hang ;; esac
}

if $load; then
  ( while :; do :; done ) &
  background+=($!)
fi

for outcome in $outcomes; do
  [ -n "${expected[$outcome]:-}" ] || { echo "unknown outcome $outcome" >&2; exit 2; }
  make_case "$outcome"
done
: >"$work/runs.txt"
declare -A runs hangs longest codes
for round in $(seq "$count"); do
  for view in ${views//,/ }; do
    for outcome in $outcomes; do
      dir=$work/cases/$outcome
      reset "$dir"
      run_once "$view" "$dir"
      key="$view $outcome"
      runs[$key]=$(( ${runs[$key]:-0} + 1 ))
      [ "$ms" -le "${longest[$key]:-0}" ] || longest[$key]=$ms
      codes[$key]="${codes[$key]:-} $code"
      printf '%s %s %s %s %s\n' "$view" "$outcome" "$round" "$code" "$ms" >>"$work/runs.txt"
      if [ "$code" = hang ]; then
        hangs[$key]=$(( ${hangs[$key]:-0} + 1 ))
        mkdir -p "$work/hangs/$view-$outcome-$round"
        cp "$dir/run.out" "$dir/bin/Ostrel_sp.log" "$work/hangs/$view-$outcome-$round/" 2>/dev/null || true
      fi
    done
  done
done

# --- the table ---
status=0
printf '%-9s %-16s %5s %5s %9s  %-8s %s\n' view outcome runs hangs longest expected "exit codes (code:runs)"
for view in ${views//,/ }; do
  for outcome in $outcomes; do
    key="$view $outcome"
    seen=$(tr ' ' '\n' <<<"${codes[$key]}" | sed '/^$/d' | sort | uniq -c | awk '{ printf "%s%s:%s", sep, $2, $1; sep = " " }')
    [ "$seen" = "${expected[$outcome]}:${runs[$key]}" ] || status=1
    printf '%-9s %-16s %5d %5d %7d ms  %-8s %s\n' "$view" "$outcome" "${runs[$key]}" "${hangs[$key]:-0}" \
      "${longest[$key]}" "${expected[$outcome]}" "$seen"
  done
done
total=$(wc -l <"$work/runs.txt")
hung=$(awk '$4 == "hang"' "$work/runs.txt" | wc -l)
echo "$platform: $total runs, $hung hangs, load $($load && echo on || echo off); each run in $work/runs.txt"
[ "$status" -eq 0 ] || echo "some runs did not end with their outcome's exit code (table above)"
exit "$status"
