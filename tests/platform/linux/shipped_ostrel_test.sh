#!/usr/bin/env bash
# The shipped Linux ostrel and libtandrel.so against cameras shaped as the kernel shapes them:
# a sysfs tree and /dev nodes (sim/linux/make_sysfs_tree.sh) mounted over /sys and /dev in a
# private mount namespace, and libfake_uvc_node.so preloaded, which answers the nodes'
# UVCIOC_CTRL_QUERY calls from the ZEL camera model of each case's world. The binaries are the
# ones this build ships, unchanged. Each case checks the exit code, log lines and the flash
# files byte for byte; <work folder>/summary.txt lists the runs.
#
# usage: shipped_ostrel_test.sh <ostrel> <libtandrel.so> <ostrel_image_maker> <libfake_uvc_node.so>
#                               <make_sysfs_tree.sh> <zel_flash_files> <zel_info> <work folder>
#                               <tandrel tool>
set -euo pipefail
[ $# -eq 9 ] || { echo "usage: $0 <ostrel> <libtandrel.so> <image maker> <fake node library>" \
                       "<tree maker> <flash files> <zel_info> <work folder> <tandrel tool>" >&2; exit 2; }
ostrel=$1 tandrel=$2 image_maker=$3 fake_node=$4 make_tree=$5 flash_files=$6 zel_info=$7 work=$8
tandrel_cli=$9

if [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null; then
  echo "needs root (mknod, mount) and a private mount namespace (unshare -m): not tested"
  exit 77
fi

# In a sanitized build the preloaded library is sanitized too, and the sanitizer's runtime
# must be the first library of the process.
preload=$fake_node
runtime=$(ldd "$fake_node" | awk '/libasan|libtsan/ { print $3 }')
[ -z "$runtime" ] || preload=$runtime:$fake_node

rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
summary() { printf '%-24s expected %-28s got %s\n' "$1" "$2" "$3" | tee -a "$work/summary.txt"; }

readonly manufacturer="NORV Inc"

# new_case <name>: a program folder with pid.ini and a 0107 ZEL image, and an empty world.
new_case() {
  dir=$work/$1
  specs=()
  cameras=0
  tree_change=true
  mkdir -p "$dir/program/bin"
  cp "$ostrel" "$tandrel" "$dir/program/"
  printf '[PID_2040]\r\nCHIP=4\r\nBIN=zel.bin\r\n' >"$dir/program/pid.ini"
  "$image_maker" zel 0107 "$dir/program/bin/zel.bin" >/dev/null
  "$flash_files" updated "$dir/program/bin/zel.bin" "$manufacturer" "$dir/expected.flash"
  printf '[World]\nTrace=trace.log\n' >"$dir/world.ini"
}

# camera <n> <port> <zel|plain> <vid> <pid> <bcd> [world keys...]: a camera on node videoN; a
# ZEL camera's flash holds an image of version bcd made for the manufacturer name.
camera() {
  local n=$1 kind=$3 bcd=$6
  specs+=("$1:$2:$3:$4:$5:$6")
  cameras=$((cameras + 1))
  printf '[Camera%d]\nModel=%s\nDevicePath=/dev/video%s\nFlash=video%s.flash\n' \
    "$cameras" "$kind" "$n" "$n" >>"$dir/world.ini"
  shift 6
  [ $# -eq 0 ] || printf '%s\n' "$@" >>"$dir/world.ini"
  if [ "$kind" = zel ] && [ ! -e "$dir/video$n.flash" ]; then
    "$flash_files" camera "$bcd" "$manufacturer" "$dir/video$n.flash"
    cp "$dir/video$n.flash" "$dir/video$n.before"
  fi
}

# in_namespace <command...>: the command in the case's program folder with the case's tree
# over /sys and /dev and the fake node library preloaded; its exit code is in $code.
in_namespace() {
  rm -rf "$dir/root"
  mkdir -p "$dir/root/dev"
  "$make_tree" "$dir/root" ${specs[@]+"${specs[@]}"}
  mknod "$dir/root/dev/null" c 1 3
  (cd "$dir/root" && "$tree_change")
  code=0
  unshare -m bash -c '
    set -e
    dir=$1 fake=$2
    shift 2
    mount --make-rprivate /
    mount --bind "$dir/root/sys" /sys
    mount --bind "$dir/root/dev" /dev
    cd "$dir/program"
    exec timeout 120 env LD_PRELOAD="$fake" FAKE_UVC_WORLD="$dir/world.ini" "$@" \
      </dev/null 2>>"$dir/stderr.txt"' _ "$dir" "$preload" "$@" >"$dir/stdout.txt" || code=$?
}

# run_ostrel <expected exit> [windowed]: ostrel -s, or the windowed run (drawn in the terminal
# view, unattended: it ends with the update); the log's lines after the banner go to log.txt.
run_ostrel() {
  local name=${dir##*/}
  rm -f "$dir/program/bin/Ostrel_sp.log"
  if [ "${2:-}" = windowed ]; then
    name="$name (windowed)"
    in_namespace env -u DISPLAY -u WAYLAND_DISPLAY ./ostrel
  else
    in_namespace ./ostrel -s
  fi
  iconv -f UTF-16LE -t UTF-8 "$dir/program/bin/Ostrel_sp.log" 2>/dev/null | tr -d '\r\357\273\277' |
    tail -n +2 >"$dir/log.txt" || true
  summary "$name" "exit $1" "exit $code, log ends: $(tail -n 1 "$dir/log.txt")"
  [ "$code" = "$1" ] || fail "$name: exit $code, expected $1"
}
expect_log() { grep -Fxq -- "$1" "$dir/log.txt" || fail "${dir##*/}: no log line '$1'"; }
same() { cmp -s "$dir/$1" "$dir/$2" || fail "${dir##*/}: $1 differs from $2"; }
differs() { ! cmp -s "$dir/$1" "$dir/$2" || fail "${dir##*/}: $1 is the same as $2"; }

new_case no-camera
run_ostrel 1
expect_log "No Camera found!"

new_case pid-not-match
camera 0 1-1 zel 0408 1234 0105
run_ostrel 2
expect_log "PID not match"
same video0.flash video0.before

new_case up-to-date
camera 0 1-1 zel 0408 2040 0107
run_ostrel 0
expect_log "Camera vid=0x0408, pid=0x2040, bcd=0x0107."
expect_log "**FW version is the same, skip update!"
same video0.flash video0.before

# An image that is not a regular file is refused at once, never waited on.
new_case image-not-loadable
camera 0 1-1 zel 0408 2040 0105
rm "$dir/program/bin/zel.bin"
mkfifo "$dir/program/bin/zel.bin"
run_ostrel 3
expect_log "Auto load the file[zel.bin], load fail!"

# The camera's manufacturer name read from its flash goes into the image it is given.
new_case full-update
camera 0 1-1 zel 0408 2040 0105
run_ostrel 0 windowed
expect_log "Start update!"
expect_log "**Update Success!"
same video0.flash expected.flash

# The camera is gone in the middle of writing the image (ENODEV from then on); plugged in
# again, the next run writes it completely.
new_case unplug-then-complete
camera 0 1-1 zel 0408 2040 0105 UnplugAfter=12000
run_ostrel 5 windowed
expect_log "**Update fail!"
cmp -s <(head -c 16384 "$dir/video0.flash") <(head -c 16384 "$dir/expected.flash") ||
  fail "unplug-then-complete: the first 16 KiB were not written before the unplug"
differs video0.flash expected.flash
sed -i '/^UnplugAfter=/d' "$dir/world.ini"
# The camera's name went with the erase before the unplug; the run before kept it in the bin
# folder, and the image is written with it.
run_ostrel 0
expect_log "Restore the manufacturer [$manufacturer]"
same video0.flash expected.flash

# The camera answers its size queries with EBUSY (not ready) for a while after the erase
# command, as it is busy erasing; the library waits and the update completes.
new_case busy-during-erase
erase=$(grep -n -m1 '^SET 0 3 64 e0' "$work/full-update/trace.log" | cut -d: -f1)
camera 0 1-1 zel 0408 2040 0105 "BusyLenFrom=$((erase + 1))" BusyLenCount=3
run_ostrel 0
same video0.flash expected.flash
[ "$(grep -c 'answered EBUSY' "$dir/stderr.txt")" = 3 ] || fail "busy-during-erase: not 3 EBUSY answers"
# The busy answers never reach the model: it sees exactly the requests of an undisturbed update.
cmp -s "$dir/trace.log" "$work/full-update/trace.log" ||
  fail "busy-during-erase: the camera saw other requests than in full-update"

# A webcam without the ZEL units is listed first; the ZEL camera after it is updated.
new_case other-webcam-first
camera 0 1-1 plain 046d 0825 0010
camera 2 1-2 zel 0408 2040 0105
run_ostrel 0
expect_log "Start update!"
same video2.flash expected.flash

# Two ZEL cameras: the first is not in pid.ini, the second is due; only the second is written.
new_case two-zel-cameras
camera 0 1-1 zel 0408 2041 0105
camera 2 1-2 zel 0408 2040 0105
run_ostrel 0
expect_log "Start update!"
same video2.flash expected.flash
same video0.flash video0.before

# The user may not open the camera's node: the update fails at once, nothing is written, and
# the log names the node.
new_case node-not-permitted
camera 0 1-1 zel 0408 2040 0105 OpenDenied=1
run_ostrel 5 windowed
expect_log "No permission to open /dev/video0 (camera permissions: see README)."
expect_log "**Update fail!"
grep -Fxq "Connect device, failed..." "$dir/stderr.txt" || fail "node-not-permitted: no debug line"
same video0.flash video0.before
[ ! -s "$dir/trace.log" ] || fail "node-not-permitted: the camera received requests"

# A due camera whose node is a character device without a UVC driver behind it (the numbers of
# /dev/null, and no camera of the world): every extension-unit query is refused (ENOTTY).
node_of_another_driver() {
  rm dev/video0
  mknod dev/video0 c 1 3
  ln -s "$(readlink sys/dev/char/81:0)" sys/dev/char/1:3
}
new_case node-without-uvc
specs=(0:1-1:zel:0408:2040:0105)
tree_change=node_of_another_driver
run_ostrel 5
expect_log "Start update!"

# A host program binds the camera by its /dev/v4l/by-id and by-path names, behind a webcam.
new_case by-id-handle
camera 0 1-1 plain 046d 0825 0010
camera 2 1-2 zel 0408 2040 0105
for handle in /dev/v4l/by-id/usb-NORV_ZEL_Camera_1-2-video-index0 \
              /dev/v4l/by-path/pci-0000:00:14.0-usb-0:2:1.0-video-index0 /dev/video2; do
  in_namespace "$zel_info" "$handle"
  got=$(paste -sd'|' "$dir/stdout.txt")
  summary "by-id-handle ${handle##*/}" "chip id: 0x0A020801" "exit $code: $got"
  [ "$code" = 0 ] && grep -Fxq "chip id: 0x0A020801" "$dir/stdout.txt" ||
    fail "by-id-handle: $handle gave exit $code: $got"
done

# Raw requests shorter than the control through the shipped library (the tandrel tool binds
# it): uvcvideo takes only whole controls, so the set goes out as all 64 bytes with the rest
# zero and the read is a whole read of which the tool gets the first bytes.
new_case short-xu-requests
camera 0 1-1 zel 0408 2040 0105
in_namespace "$tandrel_cli" --device /dev/video0 xu set 0 6 0901
set_code=$code
in_namespace "$tandrel_cli" --device /dev/video0 --json xu get 0 6 3
got=$(tail -n 1 "$dir/stdout.txt")
summary short-xu-requests "exit 0 0, 3 bytes" "exit $set_code $code: $got"
[ "$set_code" = 0 ] && [ "$code" = 0 ] || fail "short-xu-requests: exit $set_code $code"
grep -Eq '"length":3,"data":"[0-9a-f]{6}"' <<<"$got" || fail "short-xu-requests: read $got"
whole_set="SET 0 6 64 0901$(printf '0%.0s' $(seq 124)) 00000000"
grep -Fxq "$whole_set" "$dir/trace.log" || fail "short-xu-requests: no whole-control set in the trace"
grep -Eq '^GET 0 6 64 [0-9a-f]{128} 00000000$' "$dir/trace.log" ||
  fail "short-xu-requests: no whole-control read in the trace"

echo "$failures failed"
[ "$failures" = 0 ]
