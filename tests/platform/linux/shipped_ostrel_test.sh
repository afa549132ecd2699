#!/usr/bin/env bash
# The shipped Linux ostrel (and libtandrel.so beside it) against cameras laid out as the kernel
# lays them out: a sysfs tree with USB devices and video4linux nodes, mounted over /sys, and
# device nodes under /dev, in a private mount namespace. Each silent run's exit code and log
# are checked.
#
# usage: shipped_ostrel_test.sh <ostrel> <libtandrel.so> <ostrel_image_maker> <work folder>
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 <ostrel> <libtandrel.so> <image maker> <work folder>" >&2; exit 2; }
ostrel=$1 tandrel=$2 image_maker=$3 work=$4

if [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null; then
  echo "needs root and a private mount namespace (unshare -m): not tested"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# camera <sysfs root> <node> <port> <vid> <pid> <bcd>: a USB camera's interface with its node.
camera() {
  local sys=$1 node=$2 port=$3
  local usb=$sys/devices/pci0000:00/0000:00:14.0/usb1/$port
  mkdir -p "$usb/$port:1.0" "$sys/class/video4linux/$node"
  printf '%s\n' "$4" >"$usb/idVendor"
  printf '%s\n' "$5" >"$usb/idProduct"
  printf '%s\n' "$6" >"$usb/bcdDevice"
  printf '00\n' >"$usb/$port:1.0/bInterfaceNumber"
  ln -s "../../../devices/pci0000:00/0000:00:14.0/usb1/$port/$port:1.0" \
    "$sys/class/video4linux/$node/device"
}

# run <case> <expected exit> <setup commands...>: a program folder and a world, then ostrel -s
# in the namespace; the log's lines after the banner go to <case>/log.txt.
run() {
  local name=$1 expected=$2
  shift 2
  local dir=$work/$name
  mkdir -p "$dir/program/bin" "$dir/sys/class/video4linux" "$dir/dev"
  cp "$ostrel" "$tandrel" "$dir/program/"
  printf '[PID_2040]\r\nCHIP=4\r\nBIN=zel.bin\r\n' >"$dir/program/pid.ini"
  "$image_maker" zel 0107 "$dir/program/bin/zel.bin" >/dev/null
  touch "$dir/dev/null"
  ( cd "$dir" && "$@" )
  local code=0
  unshare -m bash -c '
    set -e
    mount --make-rprivate /
    mount --bind /dev/null "$1/dev/null"
    mount --bind "$1/sys" /sys
    mount --bind "$1/dev" /dev
    cd "$1/program" && exec timeout 60 ./ostrel -s </dev/null >/dev/null 2>&1' _ "$dir" || code=$?
  iconv -f UTF-16LE -t UTF-8 "$dir/program/bin/Ostrel_sp.log" 2>/dev/null | tr -d '\r\357\273\277' |
    tail -n +2 >"$dir/log.txt" || true
  printf '%-28s exit %s  %s\n' "$name" "$code" "$(paste -sd'|' "$dir/log.txt")"
  [ "$code" = "$expected" ] || fail "$name: exit $code, expected $expected"
}
expect_log() { grep -Fxq -- "$2" "$work/$1/log.txt" || fail "$1: no log line '$2'"; }

run no-camera 1 true
expect_log no-camera "No Camera found!"

run pid-not-match 2 camera sys video0 1-1 0408 1234 0105
expect_log pid-not-match "PID not match"

run up-to-date 0 camera sys video0 1-1 0408 2040 0107
expect_log up-to-date "Camera vid=0x0408, pid=0x2040, bcd=0x0107."
expect_log up-to-date "**FW version is the same, skip update!"

# An image that is not a regular file is refused at once, never waited on.
image_is_a_fifo() {
  camera sys video0 1-1 0408 2040 0105
  rm program/bin/zel.bin
  mkfifo program/bin/zel.bin
}
run image-is-a-fifo 3 image_is_a_fifo
expect_log image-is-a-fifo "Auto load the file[zel.bin], load fail!"

# A due camera whose node is a character device without a UVC driver behind it (the numbers of
# /dev/null): every extension-unit query is refused, so the update fails.
node_without_uvc() {
  camera sys video0 1-1 0408 2040 0105
  mknod dev/video0 c 1 3
  mkdir -p sys/dev/char
  ln -s ../../class/video4linux/video0 sys/dev/char/1:3
}
run node-without-uvc 5 node_without_uvc
expect_log node-without-uvc "Start update!"

echo "$failures failed"
[ "$failures" = 0 ]
