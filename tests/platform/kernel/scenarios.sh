# The kernel bench's scenarios, sourced by scripts/kernel-bench.sh: prepare_scenarios lays out
# one folder per scenario in the work folder (its world, program folders, images and the
# run.sh the guest sources), check_scenarios reads what the guest left there and prints the
# table. Every scenario is a pair of functions, prepare_<name> and check_<name>.
scenario_names=(enumeration update-right-camera unplug-and-restore ostrel-outcomes request-errors
                transient-failure tandrel-commands library-scenarios)

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

# program <folder> [pid section] [chip] [image version]: a program folder (the guest copies
# the shipped ostrel and libtandrel.so into it) with a pid.ini naming the ZEL image, and the
# image (0107 by default).
program() {
  local folder=$dir/$1 section=${2:-PID_2040} chip=${3:-4} version=${4:-0107}
  mkdir -p "$folder/bin"
  printf '[%s]\r\nCHIP=%s\r\nBIN=zel.bin\r\n' "$section" "$chip" >"$folder/pid.ini"
  "$image_maker" zel "$version" "$folder/bin/zel.bin" >/dev/null
  if [ "$1" = program ]; then
    "$flash_files" updated "$folder/bin/zel.bin" "$manufacturer" "$dir/expected.flash"
  fi
  guest "cp /bench/bin/ostrel /bench/bin/libtandrel.so $1/"
}
# ostrel_step <name> <program folder> [<arguments>]: ostrel in that folder (-s unless other
# arguments are given), its log kept as <name>.log.
ostrel_step() {
  guest "(cd $2 && step $1 ./ostrel ${3--s})" "cp $2/bin/Ostrel_sp.log $1.log 2>/dev/null; rm -f $2/bin/Ostrel_sp.log"
}

guest() { printf '%s\n' "$@" >>"$dir/run.sh"; }

prepare_scenarios() {
  build=$1 work=$2
  shift 2
  image_maker=$build/tools/image_maker/ostrel_image_maker
  flash_files=$build/tests/support/zel_flash_files
  local number=0 name
  run_names=()
  for name in "${scenario_names[@]}"; do
    number=$((number + 1))
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$name"; then continue; fi
    dir=$work/scenarios/$(printf '%02d' $number)-$name
    mkdir -p "$dir"
    printf '%s' "$zel_units_world" >"$dir/world.ini"
    : >"$dir/run.sh"
    "prepare_${name//-/_}"
    run_names+=("$name")
  done
}

# ---- results -------------------------------------------------------------------------------

failures=0
fail() { echo "FAIL: $scenario: $*"; failures=$((failures + 1)); scenario_ok=no; }
code_of() { cat "$dir/$1.code" 2>/dev/null || echo none; }
expect_code() { [ "$(code_of "$1")" = "$2" ] || fail "$1: exit $(code_of "$1"), expected $2"; }
expect_out() { grep -Fq -- "$2" "$dir/$1.out" || fail "$1: no '$2' in its output"; }
# expect_log <step> <line>: the step's update log holds the line.
expect_log() {
  iconv -f UTF-16LE -t UTF-8 "$dir/$1.log" 2>/dev/null | tr -d '\r\357\273\277' | grep -Fxq -- "$2" ||
    fail "$1: no log line '$2'"
}
# status_of <step> <before|after> <section> <field number>: a field of the camera's status line.
status_of() { awk -v s="$3" -v f="$4" '$1 == s { print $f }' "$dir/$1.$2" 2>/dev/null; }
same() { cmp -s "$dir/$1" "$dir/$2" || fail "$1 differs from $2"; }
# transfers <step> <section> [field]: the camera's video-control requests during the step,
# what the library's queries cost on the bus (field 16: of them GET_LEN; 18: stalled by
# RequestError keys; 12: every control transfer, the kernel's enumeration included).
transfers() {
  local field=${3:-14} before after
  before=$(status_of "$1" before "$2" "$field")
  after=$(status_of "$1" after "$2" "$field")
  echo $(( ${after:-0} - ${before:-0} ))
}
seconds_of() { awk '{ printf "%.1f", $1 / 100 }' "$dir/$1.time" 2>/dev/null; }
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
      "check_${name//-/_}"
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
  printf '  binding both: %s control transfers\n' "$(awk '{ n += $12 } END { print n + 0 }' "$dir/cameras-final.txt")"
}

# The shared library scenarios through the real library and uvcvideo, against the simulated
# library (tests/platform/kernel/library_scenarios_test.cpp). The sample leaves out the two
# that write a whole image (a minute together; update-right-camera and unplug-and-restore
# write whole images on the real driver too); --all runs them.
readonly library_scenarios_by_hand='firmware download 0105 to 0107;unplugged during a download'
prepare_library_scenarios() {
  [ "${bench_all:-no}" = yes ] || guest "export KERNEL_BENCH_SKIP='$library_scenarios_by_hand'"
  guest 'export KERNEL_BENCH_TANDREL=/bench/bin/libtandrel.so' \
        'export KERNEL_BENCH_SIM_TANDREL=/bench/bin/sim/libtandrel.so' \
        'export KERNEL_BENCH_CAMERA_SERVER=/bench/bin/usbip_camera' \
        'export KERNEL_BENCH_RUNS=$dir/runs' \
        'step_timeout=1200 step scenarios /bench/bin/kernel_library_scenarios'
}
check_library_scenarios() {
  expect_code scenarios 0
  grep -v '^\[\|^Note: Google\|^Running main' "$dir/scenarios.out" | sed 's/^/  /'
  grep '^trace comparison on the real driver\|^  by rule' "$dir/scenarios.out" >>"$work/measurements.txt"
  grep -q '^trace comparison on the real driver: .* 0 differences$' "$dir/scenarios.out" ||
    fail "the traces or results differ"
  scenario_transfers=$(cat "$dir"/runs/*/v4l2/cameras.txt 2>/dev/null | awk '{ n += $14 } END { print n + 0 }')
}

# A webcam, a ZEL camera that pid.ini does not name and the due one: only the due one is
# written; after its chip reset it re-enumerates with the new descriptor, and the next run
# finds it up to date.
prepare_update_right_camera() {
  world_camera 1 plain 046d 0825
  world_camera 2 zel 0408 2041
  world_camera 3 zel 0408 2040
  zel_flash 2 0105
  zel_flash 3 0105
  program program
  guest cameras_start
  ostrel_step update program
  guest 'wait_bound Camera3 2'
  ostrel_step again program
  guest 'step list /bench/bin/tandrel list --json' cameras_stop
}
check_update_right_camera() {
  expect_code update 0
  expect_log update "Start update!"
  same camera3.flash expected.flash
  same camera2.flash camera2.before
  [ "$(status_of again before Camera3 10)" = 2 ] || fail "Camera3 did not re-enumerate after its reset"
  [ "$(status_of again before Camera3 8)" = 0107 ] || fail "Camera3 came back as $(status_of again before Camera3 8)"
  expect_code again 0
  expect_log again "**FW version is the same, skip update!"
  expect_out list '"release":"0x0107"'
  scenario_transfers=$(transfers update Camera3)
  printf 'full update on the real driver: %s control requests, %s of them GET_LEN, %s s\n' \
    "$scenario_transfers" "$(transfers update Camera3 16)" "$(seconds_of update)" >>"$work/measurements.txt"
}

# The camera leaves the bus while the image is written (ENODEV from then on); back on the bus,
# the next run writes it completely, with the manufacturer name the first run kept before the
# erase. A silent run logs no outcome line: its exit code tells.
prepare_unplug_and_restore() {
  world_camera 1 zel 0408 2040
  zel_flash 1 0105
  cp "$dir/world.ini" "$dir/world-restored.ini"
  printf 'UnplugAfter=3000\n' >>"$dir/world.ini"
  program program
  guest cameras_start
  ostrel_step cut program
  guest 'ls /dev >cut-dev.txt' cameras_stop 'cameras_start world-restored.ini'
  ostrel_step restore program
  guest cameras_stop
}
check_unplug_and_restore() {
  expect_code cut 5
  expect_log cut "Start update!"
  [ "$(status_of cut after Camera1 4)" = unplugged ] || fail "the camera did not leave the bus"
  ! grep -qx video0 "$dir/cut-dev.txt" || fail "/dev/video0 stayed after the unplug"
  grep -q 'USB disconnect' "$dir/dmesg.txt" || fail "the kernel saw no disconnect"
  expect_code restore 0
  expect_log restore "Restore the manufacturer [$manufacturer]"
  same camera1.flash expected.flash
  scenario_transfers=$(( $(transfers cut Camera1) + $(transfers restore Camera1) ))
}

# ostrel -s outcomes that need no update: up to date (0), no matching firmware (2), image not
# loadable (3), unknown chip vendor (4), and with the camera gone, no camera (1); and the
# windowed run, drawn in the terminal (the guest has no display), refusing the image (3).
prepare_ostrel_outcomes() {
  world_camera 1 zel 0408 2040
  zel_flash 1 0105
  program up-to-date PID_2040 4 0105
  program pid-not-match PID_1234
  program not-loadable
  program unknown-vendor PID_2040 7
  guest 'rm not-loadable/bin/zel.bin && mkfifo not-loadable/bin/zel.bin' cameras_start
  ostrel_step up-to-date up-to-date
  ostrel_step pid-not-match pid-not-match
  ostrel_step not-loadable not-loadable
  ostrel_step unknown-vendor unknown-vendor
  ostrel_step windowed-not-loadable not-loadable ""
  guest cameras_stop
  ostrel_step no-camera up-to-date
}
check_ostrel_outcomes() {
  local outcome
  for outcome in up-to-date:0 pid-not-match:2 not-loadable:3 unknown-vendor:4 no-camera:1 \
                 windowed-not-loadable:3; do
    expect_code "${outcome%:*}" "${outcome#*:}"
    printf '  ostrel %-24s exit %s (expected %s)\n' "${outcome%:*}" "$(code_of "${outcome%:*}")" "${outcome#*:}"
    scenario_transfers=$(( scenario_transfers + $(transfers "${outcome%:*}" Camera1) ))
  done
  expect_log up-to-date "**FW version is the same, skip update!"
  expect_log pid-not-match "PID not match"
  expect_log not-loadable "Auto load the file[zel.bin], load fail!"
  expect_log windowed-not-loadable "Auto load the file[zel.bin], load fail!"
  expect_out windowed-not-loadable "No file[zel.bin]!"
  expect_log no-camera "No Camera found!"
  same camera1.flash camera1.before
}

# Each request error code of the UVC error-code control after a stall: the errno uvcvideo gives
# (a raw query) and the library's result (tandrel xu get). Camera1 stalls selectors 1 to 8 with
# codes 2 to 9, Camera2 selector 1 with 1 (busy, for ever) and 2 with 0; Camera3 is busy for its
# first three register requests and then answers.
readonly request_errors=(1:1:2:EILSEQ:-2 1:2:3:EREMOTE:-2 1:3:4:ERANGE:-2 1:4:5:EIO:-2 1:5:6:EIO:-2
                         1:6:7:EIO:-2 1:7:8:EINVAL:-3 1:8:9:EPIPE:-2 2:1:1:EBUSY:-4 2:2:0:EPIPE:-2)
prepare_request_errors() {
  world_camera 1 zel 0408 2040 RequestError0.1=2 RequestError0.2=3 RequestError0.3=4 \
    RequestError0.4=5 RequestError0.5=6 RequestError0.6=7 RequestError0.7=8 RequestError0.8=9
  world_camera 2 zel 0408 2040 RequestError0.1=1 RequestError0.2=0
  world_camera 3 zel 0408 2040 RequestError0.2=1 RequestErrorTimes=3
  local entry camera selector
  guest cameras_start
  for entry in "${request_errors[@]}"; do
    IFS=: read -r camera selector _ <<<"$entry"
    guest "step errno-$camera-$selector /bench/bin/uvc_query \$(node_of Camera$camera) 3 $selector" \
          "step result-$camera-$selector /bench/bin/tandrel --json --device \$(node_of Camera$camera) xu get 0 $selector 64"
  done
  guest 'step busy /bench/bin/tandrel --json --device $(node_of Camera3) reg read 0x06000000' cameras_stop
}
check_request_errors() {
  local entry camera selector code errno result got_errno got_result
  printf '  %-5s %-9s %-16s %s\n' code errno "library result" expected
  for entry in "${request_errors[@]}"; do
    IFS=: read -r camera selector code errno result <<<"$entry"
    got_errno=$(awk '{ print $1 }' "$dir/errno-$camera-$selector.out")
    got_result=$(grep -o '"result":-\?[0-9]*,"result_name":"[A-Z_]*"' "$dir/result-$camera-$selector.out" |
      sed 's/"result"://; s/,"result_name":/ /; s/"//g')
    printf '  %-5s %-9s %-16s %s\n' "$code" "$got_errno" "$got_result" "$errno $result"
    [ "$got_errno" = "$errno" ] || fail "code $code: errno $got_errno, expected $errno"
    [ "${got_result%% *}" = "$result" ] || fail "code $code: result '$got_result', expected $result"
    scenario_transfers=$(( scenario_transfers + $(transfers "result-$camera-$selector" "Camera$camera") ))
  done
  local busy_stalls
  busy_stalls=$(transfers busy Camera3 18)
  printf '  busy for 3 requests, then ready: exit %s, %s stalls, %s s: %s\n' "$(code_of busy)" \
    "$busy_stalls" "$(seconds_of busy)" "$(cat "$dir/busy.out")"
  expect_code busy 0
  expect_out busy '"value":"0x0A020801"'
  [ "$busy_stalls" = 3 ] || fail "busy: $busy_stalls stalls, expected 3"
  local forever
  forever=$(transfers result-2-1 Camera2 18)
  printf '  busy for ever: %s stalls, %s s\n' "$forever" "$(seconds_of result-2-1)"
  [ "$forever" = 11 ] || fail "busy for ever: $forever stalls, expected 11 (a request and ten repeats)"
  printf 'busy camera on the real driver: %s stalls (busy for ever, %s s); busy three times: %s\n' \
    "$forever" "$(seconds_of result-2-1)" "$(cat "$dir/busy.out")" >>"$work/measurements.txt"
}

# One request fails once as a transfer error (FailRequest): that command fails with the
# device's failure, the same command again succeeds and reads the flash as it is.
prepare_transient_failure() {
  world_camera 1 zel 0408 2040 FailRequest=30
  zel_flash 1 0105
  guest cameras_start 'step first /bench/bin/tandrel --json flash read 0 0x400 -o first.bin' \
    'step second /bench/bin/tandrel --json flash read 0 0x400 -o second.bin' cameras_stop
}
check_transient_failure() {
  expect_code first 3
  expect_out first '"result":-2'
  expect_code second 0
  cmp -s "$dir/second.bin" <(head -c 1024 "$dir/camera1.before") || fail "the second read is not the flash"
  grep -q ' 8007001f$' "$dir/trace.log" || fail "no failed request in the trace"
  scenario_transfers=$(( $(transfers first Camera1) + $(transfers second Camera1) ))
}

# The tandrel tool's commands on the real driver.
readonly tandrel_commands=(
  "list:0:list --json" "info:0:info --json" "get-all:0:get --all --json"
  "set:0:set pan-tilt 100 0x200" "get:0:get pan-tilt --json" "reg:0:reg read 0x06000000 --json"
  "flash:0:flash read 0 0x100 -o flash.bin" "xu-set:0:xu set 0 6 0901" "xu-get:0:xu get 0 6 3 --json"
  "dry-run:0:update zel.bin --dry-run --json" "events:3:events")
prepare_tandrel_commands() {
  world_camera 1 zel 0408 2040
  zel_flash 1 0105
  "$image_maker" zel 0107 "$dir/zel.bin" >/dev/null
  local entry name arguments
  guest cameras_start
  for entry in "${tandrel_commands[@]}"; do
    IFS=: read -r name _ arguments <<<"$entry"
    guest "step $name /bench/bin/tandrel --quiet $arguments"
  done
  guest cameras_stop
}
check_tandrel_commands() {
  local entry name code arguments
  for entry in "${tandrel_commands[@]}"; do
    IFS=: read -r name code arguments <<<"$entry"
    expect_code "$name" "$code"
    printf '  tandrel %-32s exit %s\n' "$arguments" "$(code_of "$name")"
    scenario_transfers=$(( scenario_transfers + $(transfers "$name" Camera1) ))
  done
  expect_out list '"release":"0x0105"'
  expect_out info '"manufacturer":"NORV Inc"'
  expect_out get '"values":[100,512]'
  expect_out reg '"value":"0x0A020801"'
  expect_out xu-get '"data":"0901'
  expect_out dry-run '"dry_run":true'
  grep -Fq 'Linux cameras do not deliver it' "$dir/events.err" || fail "events: $(cat "$dir/events.err")"
  cmp -s "$dir/flash.bin" <(head -c 256 "$dir/camera1.before") || fail "flash read is not the flash"
}
