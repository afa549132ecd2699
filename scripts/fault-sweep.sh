#!/usr/bin/env bash
# Fault sweep of the updater on the simulation kit. A ZEL update is interrupted at every point
# of its request sequence: unplugged after N requests (N = 1, 1 + step, ... up to the whole
# update), failed with each transfer status from the start of each phase on, stalled in each
# phase (the silent run's own time-out ends it), killed with SIGKILL in each phase; SONIX and
# Sunplus updates fail at every step of their libraries. Transient faults: one ZEL request
# fails once (every one of the first 300, of 50 around each phase boundary, every 100th
# elsewhere), each call of the SONIX and Sunplus libraries fails once. The phases come from the
# trace of one clean update, not from numbers kept here.
#
# For every point: the interrupted run does not report success unless it left the flash of a
# fault-free update, ends within the time bound, and leaves the instance lock free; the next
# run completes the update with exactly that flash (the image with the camera's manufacturer
# name carried in, as the kit's own Tandrel carries it, and the image's serial-number string
# kept; "identity lost" counts the points where they are not) and the run after it finds the
# camera up to date. One table per class; the exit code is 1 on any miss.
#
#   scripts/fault-sweep.sh [--kit DIR] [--tool FILE] [--step N] [--sample K] [-j N]
#
#   --kit DIR     the simulation kit to sweep (default build/native/sim-kit)
#   --tool FILE   zel_expected_flash (default build/native/tools/zel_expected_flash/...)
#   --step N      unplug points N requests apart, 1 to 100 (default 100)
#   --sample K    K unplug and K transient points evenly spread plus each phase's first request,
#                 each phase with one transfer status in turn, every vendor call failing once:
#                 the bounded sample for CI
#   -j N          points run at once, each in its own copy of the kit (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."

kit=build/native/sim-kit
tool=build/native/tools/zel_expected_flash/zel_expected_flash
step=100
sample=0
jobs=2
while [ $# -gt 0 ]; do
  case "$1" in
    --kit) kit=$2; shift 2 ;;
    --tool) tool=$2; shift 2 ;;
    --step) step=$2; shift 2 ;;
    --sample) sample=$2; shift 2 ;;
    -j) jobs=$2; shift 2 ;;
    *) echo "fault-sweep: unknown argument $1" >&2; exit 2 ;;
  esac
done
if ! [ "$step" -ge 1 ] 2>/dev/null || [ "$step" -gt 100 ]; then
  echo "fault-sweep: --step takes 1 to 100" >&2
  exit 2
fi
for file in ostrel libtandrel.so simcam.ini pid.ini camera1.flash bin/zel.bin; do
  [ -f "$kit/$file" ] || { echo "fault-sweep: $kit/$file missing (build the sim-kit target)" >&2; exit 2; }
done
[ -x "$tool" ] || { echo "fault-sweep: $tool missing (build the zel_expected_flash target)" >&2; exit 2; }

kit=$(cd "$kit" && pwd)
tool=$(cd "$(dirname "$tool")" && pwd)/$(basename "$tool")
# Beside the kit, so that its programs can be linked rather than copied into every point.
work=$(mktemp -d "$(dirname "$kit")/fault-sweep.XXXXXX")
trap 'rm -rf "$work"' EXIT
export kit tool work

# The statuses a platform reports for a failed transfer: not connected, invalid parameter,
# general failure, busy, not ready, not found, not supported, access denied.
statuses=(0x8007048F 0x80070057 0x8007001F 0x800700AA 0x80070015 0x80070490 0x80070032 0x80070005)
sonix_steps=(init protect serial erase burn verify protect-on)
sunplus_steps=(init download)
# A run that takes longer than this (seconds) hangs; a clean update takes well under one.
export bound=60
# Fast enough that the silent run's 180 s time-out passes in under half a second.
export fast_scale=0.002
export up_to_date='**FW version is the same, skip update!'

# A copy of the kit in which the updater may write: its programs are linked, the rest copied.
make_point_folder() {
  local dir=$1 file
  mkdir -p "$dir"
  for file in "$kit"/*; do
    case "$(basename "$file")" in
      ostrel | *.so | *.so.* | *.exe | *.dll) ln "$file" "$dir/" 2>/dev/null || cp "$file" "$dir/" ;;
      trace.log) ;;
      *) cp -r "$file" "$dir/" ;;
    esac
  done
}

# A world of this time scale, with the request trace when <trace> is yes: only the runs whose
# requests are counted keep one, since the camera writes a line per request.
world_section() {
  printf '[World]\nTimeScale=%s\n' "$1"
  [ "$2" = no ] || printf 'Trace=trace.log\n'
}

# The kit's camera section with extra keys (';'-separated) under a world of this time scale.
# Without the kit's delay per request: a sleep that short costs the timer's slack, not its time.
write_zel_world() {
  local dir=$1 scale=$2 keys=$3 trace=$4
  {
    world_section "$scale" "$trace"
    sed -n '/^\[Camera1\]/,$p' "$kit/simcam.ini" | tr -d '\r' | grep -v '^RequestDelayUs='
    [ -z "$keys" ] || printf '%s\n' "${keys//;/$'\n'}"
  } >"$dir/simcam.ini"
}

# The product id pid.ini gives to the chip number (1 Sunplus, 3 SONIX).
pid_of_chip() {
  awk -v chip="$1" '{ sub(/\r$/, "") } /^\[PID_/ { pid = substr($0, 6, 4) }
                    $0 == "CHIP=" chip { print tolower(pid); exit }' "$kit/pid.ini"
}

# A SONIX or Sunplus camera at 0100 whose update the kit's image brings, with its own flash.
write_vendor_world() {
  local dir=$1 model=$2 keys=$3 trace=$4 pid camera
  case "$model" in
    sonix) pid=$(pid_of_chip 3) camera='RomVersion=232RO;RomVersionByte5=1;Serial=SN42' ;;
    sunplus) pid=$(pid_of_chip 1) camera='FlashType=0x7A;AsicType=0x68' ;;
  esac
  local upper=${pid^^}
  {
    world_section "$fast_scale" "$trace"
    printf '[Camera1]\nModel=%s\n' "$model"
    printf 'DevicePath=\\\\?\\usb#vid_0c45&pid_%s&mi_00#6&2e3f1c7e&0&0000#%s\\global\n' "$pid" \
      '{65e8773d-8f56-11d0-a3b9-00a0c9223196}'
    printf 'InstanceId=USB\\VID_0C45&PID_%s&MI_00\\6&2E3F1C7E&0&0000\n' "$upper"
    printf 'HardwareId=USB\\VID_0C45&PID_%s&REV_0100&MI_00\nFlash=vendor.flash\n' "$upper"
    printf '%s\n' "${camera//;/$'\n'}"
    [ -z "$keys" ] || printf '%s\n' "${keys//;/$'\n'}"
  } >"$dir/simcam.ini"
}

write_world() {  # folder, class, time scale, fault keys, trace (yes or no)
  local vendor
  vendor=$(vendor_of "$2")
  case "$vendor" in
    zel) write_zel_world "$1" "$3" "$4" "$5" ;;
    *) write_vendor_world "$1" "$vendor" "$4" "$5" ;;
  esac
}

# The vendor of a class: sonix and sunplus, with their call classes; zel for the rest.
vendor_of() {
  case "$1" in sonix | sonix-call) echo sonix ;; sunplus | sunplus-call) echo sunplus ;; *) echo zel ;; esac
}

flash_file() {
  case "$(vendor_of "$1")" in zel) echo camera1.flash ;; *) echo vendor.flash ;; esac
}

# The camera's identity in a ZEL flash against the reference: the byte ranges the ZEL module
# names (the string slots up to the manufacturer's, iManufacturer and iSerialNumber), which
# identity_ranges holds, one "<offset> <length>" per line.
identity_kept() {
  local offset length
  while read -r offset length; do
    cmp -s -i "$offset:$offset" -n "$length" "$1" "$2" || return 1
  done <<<"$identity_ranges"
}

# Runs ./ostrel -s in the folder within the bound; its exit code, 124 when it had to be ended.
silent_run() {
  (cd "$1" && timeout -s KILL "$bound" ./ostrel -s </dev/null >/dev/null 2>&1) && return 0
  local code=$?
  [ "$code" -eq 137 ] && return 124
  return "$code"
}

last_log_line() {
  iconv -f UTF-16 -t UTF-8 "$1/bin/Ostrel_sp.log" 2>/dev/null | tr -d '\r' | tail -n 1
}

# Starts ./ostrel -s, waits until the camera has answered `after` requests (the next one
# blocks) and kills the run with SIGKILL. Exit code 124 when the run never got there in time.
killed_run() {
  local dir=$1 after=$2 pid waited=0
  (cd "$dir" && exec ./ostrel -s </dev/null >/dev/null 2>&1) &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    [ "$(wc -l 2>/dev/null <"$dir/trace.log" || echo 0)" -ge "$after" ] && break
    if [ "$waited" -ge $((bound * 100)) ]; then
      kill -9 "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
      return 124
    fi
    sleep 0.01
    waited=$((waited + 1))
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null && return 0
  return $?
}

# The flash a complete update leaves in the folder's camera as it is now.
expected_zel_flash() {
  local dir=$1 path
  path=$(sed -n 's/^DevicePath=//p' "$dir/simcam.ini" | tr -d '\r')
  "$tool" "$dir" "$path" "$dir/bin/zel.bin" "$2"
}

# One point: "class|label|mode|argument|keys". Writes one result line:
# class label interrupted-code hang lock-held false-success unrecovered identity-lost note
run_point() {
  local class label mode argument keys vendor
  IFS='|' read -r class label mode argument keys <<<"$1"
  local dir="$work/points/$class-$label" flash reference
  vendor=$(vendor_of "$class")
  flash=$(flash_file "$class")
  reference="$work/expected-$vendor.flash"
  make_point_folder "$dir"

  local code hang=0 lock=0 false_success=0 unrecovered=0 identity=0 note=""
  case "$mode" in
    kill) write_world "$dir" "$class" 1 "StallAfter=$argument" yes
          killed_run "$dir" "$argument" && code=0 || code=$? ;;
    *) write_world "$dir" "$class" "$fast_scale" "$keys" no
       silent_run "$dir" && code=0 || code=$? ;;
  esac
  if [ "$code" -eq 124 ]; then hang=1 note+="interrupted run hung; "; fi
  flock -n "$dir/ostrel.lock" true || { lock=1; note+="lock held; "; }
  # Success is right only for a point after the image was complete (a failed reset, say).
  if [ "$code" -eq 0 ] && ! cmp -s "$dir/$flash" "$reference"; then
    false_success=1 note+="success with an incomplete flash; "
  fi

  # Plugged in again, without faults: whatever the fault left, nothing of the camera may be
  # lost, so the next run must leave the flash of a fault-free update.
  write_world "$dir" "$class" "$fast_scale" "" no
  local next third
  silent_run "$dir" && next=0 || next=$?
  if [ "$next" -eq 124 ]; then hang=1 note+="next run hung; "; fi
  if [ "$next" -ne 0 ]; then
    unrecovered=1 note+="next run exit $next; "
  elif ! cmp -s "$dir/$flash" "$reference"; then
    unrecovered=1 note+="next run ($(last_log_line "$dir")) left the flash unlike the image; "
  fi
  silent_run "$dir" && third=0 || third=$?
  if [ "$third" -eq 124 ]; then hang=1 note+="run after hung; "; fi
  if [ "$third" -ne 0 ] || [ "$(last_log_line "$dir")" != "$up_to_date" ]; then
    unrecovered=1 note+="run after: exit $third, '$(last_log_line "$dir")'; "
  fi
  if [ "$vendor" = zel ] && ! identity_kept "$dir/$flash" "$reference"; then
    identity=1 note+="the camera's name or the serial-number string is not as a fault-free update leaves them; "
  fi
  echo "$class $label $code $hang $lock $false_success $unrecovered $identity ${note%; }" \
    >"$work/results/$class-$label"
  rm -rf "$dir"
}
export -f make_point_folder world_section write_zel_world pid_of_chip write_vendor_world write_world vendor_of \
  flash_file identity_kept silent_run last_log_line killed_run run_point

started=$(date +%s)
mkdir -p "$work/points" "$work/results"

# One clean update: its trace gives the request count and the phases; the expected flashes.
clean="$work/clean-zel"
make_point_folder "$clean"
write_zel_world "$clean" "$fast_scale" "" yes
expected_zel_flash "$clean" "$work/expected-zel.flash"
rm -f "$clean/trace.log"
silent_run "$clean" || { echo "fault-sweep: the clean ZEL update failed" >&2; exit 1; }
cmp -s "$clean/camera1.flash" "$work/expected-zel.flash" || {
  echo "fault-sweep: the clean ZEL update left a flash unlike the image" >&2
  exit 1
}
total=$(wc -l <"$clean/trace.log")
identity_ranges=$("$tool" --identity "$work/expected-zel.flash")
export identity_ranges
awk -f scripts/fault-sweep-phases.awk "$clean/trace.log" >"$work/phases"
declare -A calls
for vendor in sonix sunplus; do
  make_point_folder "$work/clean-$vendor"
  write_vendor_world "$work/clean-$vendor" "$vendor" "" yes
  silent_run "$work/clean-$vendor" || { echo "fault-sweep: the clean $vendor update failed" >&2; exit 1; }
  cp "$work/clean-$vendor/vendor.flash" "$work/expected-$vendor.flash"
  calls[$vendor]=$(grep -c '^CALL ' "$work/clean-$vendor/trace.log")
done

echo "ZEL update: $total requests; phases (first and last request):"
awk '{ printf "  %-14s %6d %6d\n", $1, $2, $3 }' "$work/phases"
echo "SONIX update: ${calls[sonix]} library calls; Sunplus update: ${calls[sunplus]} library calls"

# The points, one line each.
{
  if [ "$sample" -gt 0 ]; then
    { awk '{ print $2 }' "$work/phases"
      for ((i = 0; i < sample; i++)); do echo $((1 + i * (total - 1) / (sample > 1 ? sample - 1 : 1))); done
    } | sort -nu
  else
    seq 1 "$step" "$total"
  fi | while read -r n; do echo "unplug|N=$n|run|$n|UnplugAfter=$n"; done
  index=0
  while read -r phase first _; do
    # After the phase's first request (its size probe): the next one is inside the phase.
    for status in "${statuses[@]}"; do
      if [ "$sample" -eq 0 ] || [ "$status" = "${statuses[index % ${#statuses[@]}]}" ]; then
        echo "status|$phase@$status|run|$first|UnplugAfter=$first;UnplugStatus=$status"
      fi
    done
    echo "stall|$phase|run|$first|StallAfter=$first"
    echo "kill|$phase|kill|$first|"
    index=$((index + 1))
  done <"$work/phases"
  for step_name in "${sonix_steps[@]}"; do echo "sonix|$step_name|run|0|FailStep=$step_name"; done
  for step_name in "${sunplus_steps[@]}"; do echo "sunplus|$step_name|run|0|FailStep=$step_name"; done
  # One request failing once, with the transfer statuses in turn.
  if [ "$sample" -gt 0 ]; then
    { awk '{ print $2; print $2 + 1 }' "$work/phases"
      for ((i = 0; i < sample; i++)); do echo $((1 + i * (total - 1) / (sample > 1 ? sample - 1 : 1))); done
    }
  else
    { seq 1 300; seq 100 100 "$total"; awk '{ for (n = $2 - 25; n < $2 + 25; n++) if (n > 0) print n }' "$work/phases"; }
  fi | awk -v total="$total" '$1 <= total' | sort -nu | while read -r n; do
    echo "transient|N=$n|run|$n|FailRequest=$n;FailRequestStatus=${statuses[n % ${#statuses[@]}]}"
  done
  for vendor in sonix sunplus; do
    for ((n = 1; n <= calls[$vendor]; n++)); do echo "$vendor-call|N=$n|run|$n|FailCall=$n"; done
  done
} >"$work/points.txt"

xargs -d '\n' -P "$jobs" -I{} bash -c 'run_point "$1"' _ {} <"$work/points.txt"

cat "$work"/results/* >"$work/results.txt"
echo
awk -v points="$(wc -l <"$work/points.txt")" '
  { n[$1]++; hang[$1] += $4; lock[$1] += $5; fs[$1] += $6; unrec[$1] += $7; lost[$1] += $8
    codes[$1, $3]++
    if ($4 || $5 || $6 || $7 || $8) { miss[++misses] = $0 } }
  function exits(c,   code, text) {  # the interrupted runs exit codes, "code x count"
    for (code = 0; code <= 137; code++) if ((c, code) in codes) text = text " " code "x" codes[c, code]
    return substr(text, 2)
  }
  END {
    format = "%-12s %7s %15s %6s %11s %12s %14s  %s\n"
    printf format, "class", "points", "false successes", "hangs", "locks held", "unrecovered",
           "identity lost", "interrupted runs exit codes"
    classes = split("unplug status stall kill sonix sunplus transient sonix-call sunplus-call",
                    order, " ")
    for (i = 1; i <= classes; i++) {
      c = order[i]
      printf format, c, n[c] + 0, fs[c] + 0, hang[c] + 0, lock[c] + 0, unrec[c] + 0, lost[c] + 0,
             exits(c)
      t += n[c]; tf += fs[c]; th += hang[c]; tl += lock[c]; tu += unrec[c]; ti += lost[c]
    }
    printf format, "all", t, tf, th, tl, tu, ti, ""
    if (t != points) printf "%d points gave no result\n", points - t
    for (i = 1; i <= misses; i++) print "MISS: " miss[i]
  }' "$work/results.txt"
echo "Duration: $(($(date +%s) - started)) s"
awk '$4 || $5 || $6 || $7 || $8 { bad = 1 } END { exit bad }' "$work/results.txt" &&
  [ "$(wc -l <"$work/results.txt")" -eq "$(wc -l <"$work/points.txt")" ]
