# The kernel bench's scenarios, sourced by scripts/kernel-bench.sh: prepare_scenarios lays out
# one folder per scenario in the work folder (its world, program folders, images and the
# run.sh the guest sources), check_scenarios reads what the guest left there and prints the
# table. Every scenario is a pair of functions, prepare_<name> and check_<name>.
scenario_names=(enumeration)

readonly manufacturer="NORV Inc"
readonly zel_units_world=$'[World]\nTrace=trace.log\n'

# world_camera <n> <model> <vid> <pid> [keys...]: a [CameraN] section of the scenario's world.
world_camera() {
  local n=$1 model=$2 vid=$3 pid=$4
  shift 4
  printf '\n[Camera%d]\nModel=%s\nDevicePath=/dev/camera%d#vid_%s&pid_%s\nFlash=camera%d.flash\n' \
    "$n" "$model" "$n" "$vid" "$pid" "$n" >>"$dir/world.ini"
  [ $# -eq 0 ] || printf '%s\n' "$@" >>"$dir/world.ini"
}

# zel_flash <n> <bcd>: CameraN's flash holds an image of that version made for the manufacturer.
zel_flash() {
  "$flash_files" camera "$2" "$manufacturer" "$dir/camera$1.flash"
  cp "$dir/camera$1.flash" "$dir/camera$1.before"
}

# program <folder> [pid section]: a program folder with the shipped ostrel and libtandrel.so,
# a pid.ini naming the ZEL image and a 0107 image.
program() {
  local folder=$dir/$1 section=${2:-PID_2040}
  mkdir -p "$folder/bin"
  printf '[%s]\r\nCHIP=4\r\nBIN=zel.bin\r\n' "$section" >"$folder/pid.ini"
  "$image_maker" zel 0107 "$folder/bin/zel.bin" >/dev/null
  "$flash_files" updated "$folder/bin/zel.bin" "$manufacturer" "$dir/expected.flash"
  "$flash_files" updated "$folder/bin/zel.bin" "" "$dir/expected-unnamed.flash"
}

guest() { printf '%s\n' "$@" >>"$dir/run.sh"; }

prepare_scenarios() {
  build=$1 work=$2
  shift 2
  image_maker=$build/tools/image_maker/ostrel_image_maker
  flash_files=$build/tests/platform/linux/zel_flash_files
  local number=0 name
  run_names=()
  for name in "${scenario_names[@]}"; do
    number=$((number + 1))
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$name"; then continue; fi
    dir=$work/scenarios/$(printf '%02d' $number)-$name
    mkdir -p "$dir"
    printf '%s' "$zel_units_world" >"$dir/world.ini"
    : >"$dir/run.sh"
    "prepare_$name"
    run_names+=("$name")
  done
}

# ---- results -------------------------------------------------------------------------------

failures=0
fail() { echo "FAIL: $scenario: $*"; failures=$((failures + 1)); scenario_ok=no; }
code_of() { cat "$dir/$1.code" 2>/dev/null || echo none; }
expect_code() { [ "$(code_of "$1")" = "$2" ] || fail "$1: exit $(code_of "$1"), expected $2"; }
expect_out() { grep -Fq -- "$2" "$dir/$1.out" || fail "$1: no '$2' in its output"; }
# ostrel_log <program>: the update log's lines after the banner.
ostrel_log() {
  iconv -f UTF-16LE -t UTF-8 "$dir/$1/bin/Ostrel_sp.log" 2>/dev/null | tr -d '\r\357\273\277' | tail -n +2
}
same() { cmp -s "$dir/$1" "$dir/$2" || fail "$1 differs from $2"; }
# transfers <step> <section>: control transfers the camera answered during the step.
transfers() {
  local before after
  before=$(awk -v s="$2" '$1 == s { print $12 }' "$dir/$1.before" 2>/dev/null)
  after=$(awk -v s="$2" '$1 == s { print $12 }' "$dir/$1.after" 2>/dev/null)
  echo $(( ${after:-0} - ${before:-0} ))
}
# The kernel log of a scenario: warnings, oopses, stack traces and hung tasks.
kernel_verdict() {
  local bad
  bad=$(grep -Ec 'WARNING:|BUG:|Oops|Call Trace|general protection|blocked for more than|kernel panic' \
    "$dir/dmesg.txt" 2>/dev/null) || true
  if [ ! -e "$dir/dmesg.txt" ]; then echo "no log"; elif [ "$bad" = 0 ]; then echo clean; else
    echo "$bad bad lines"; fi
}

check_scenarios() {
  work=$1
  local number=0 name
  printf '\n%-28s %-6s %9s %8s  %s\n' scenario result transfers seconds "kernel log" | tee "$work/table.txt"
  for name in "${run_names[@]}"; do
    dir=$(ls -d "$work"/scenarios/*-"$name")
    scenario=$name scenario_ok=yes scenario_transfers=0
    if [ ! -e "$dir/scenario.time" ]; then
      fail "did not run (guest log: $work/guest.log)"
    else
      "check_$name"
    fi
    local verdict seconds
    verdict=$(kernel_verdict)
    [ "$verdict" = clean ] || fail "kernel log: $verdict"
    seconds=$(awk '{ printf "%.1f", $1 / 100 }' "$dir/scenario.time" 2>/dev/null || echo -)
    printf '%-28s %-6s %9s %8s  %s\n' "$name" "$([ $scenario_ok = yes ] && echo pass || echo FAIL)" \
      "$scenario_transfers" "$seconds" "$verdict" | tee -a "$work/table.txt"
  done
  echo "$failures failed"
  [ "$failures" = 0 ]
}

# ---- the scenarios -------------------------------------------------------------------------

# A webcam without the ZEL units and a ZEL camera: both bound by uvcvideo, two nodes each.
prepare_enumeration() {
  world_camera 1 plain 046d 0825
  world_camera 2 zel 0408 2040
  zel_flash 2 0105
  guest 'cameras_start' 'ls /sys/class/video4linux >nodes.txt' 'cameras_stop'
}
check_enumeration() {
  [ "$(grep -c 'Found UVC 1.00 device' "$dir/dmesg.txt")" = 2 ] || fail "uvcvideo did not find both cameras"
  [ "$(wc -l <"$dir/nodes.txt")" = 4 ] || fail "nodes: $(paste -sd' ' "$dir/nodes.txt")"
  grep -q "^Camera2 port 1 unplugged\|^Camera2 port 1 bound" "$dir/cameras-final.txt" || fail "Camera2 never bound"
}
