#!/usr/bin/env bash
# Lays out USB cameras as the kernel shows them, under <root>/sys and <root>/dev, for a test
# that mounts them over /sys and /dev in a private mount namespace (mknod needs root).
#
# usage: make_sysfs_tree.sh <root> <camera>...
#   camera: <n>:<port>:<kind>:<vid>:<pid>:<bcd>, e.g. 0:1-1:zel:0408:2040:0105
#   n       the capture node videoN (char 81:n); the metadata node is video(n+1), index 1
#   port    the USB port name (1-1, 1-2, ...)
#   kind    zel (VideoControl interface with the two ZEL extension units) or plain (none)
# Each camera gets: its USB device directory (idVendor, idProduct, bcdDevice, descriptors),
# the VideoControl and VideoStreaming interface directories, video4linux/videoN with dev and
# index, the /sys/class/video4linux and /sys/dev/char links, /dev/videoN nodes and the
# /dev/v4l/by-id and by-path links.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 <root> <n>:<port>:<zel|plain>:<vid>:<pid>:<bcd>..." >&2; exit 2; }
root=$1
shift
sys=$root/sys
mkdir -p "$sys/class/video4linux" "$sys/dev/char" "$root/dev/v4l/by-id" "$root/dev/v4l/by-path"

# bytes <hex digits, blanks ignored>: the raw bytes.
bytes() { printf '%s' "$*" | tr -d ' \n' | xxd -r -p; }
le16() { printf '%02x %02x' $((0x$1 & 0xff)) $((0x$1 >> 8)); }

# The descriptors file: the device descriptor, then the configuration with an interface
# association, the VideoControl interface (camera terminal 1, processing unit 2, for a zel
# camera the extension units 3 and 4, output terminal 5, interrupt endpoint) and the
# VideoStreaming interface (one MJPEG 640x480 format, alternate setting 1 with its endpoint).
descriptors() {
  local kind=$1 vid=$2 pid=$3 bcd=$4
  bytes 12 01 00 02 ef 02 01 40 "$(le16 "$vid")" "$(le16 "$pid")" "$(le16 "$bcd")" 01 02 03 01
  if [ "$kind" = zel ]; then
    bytes 09 02 dd 00 02 01 00 80 fa
  else
    bytes 09 02 a9 00 02 01 00 80 fa
  fi
  bytes 08 0b 00 02 0e 03 00 02
  bytes 09 04 00 00 01 0e 01 00 02
  if [ "$kind" = zel ]; then
    bytes 0d 24 01 00 01 67 00 80 8d 5b 00 01 01
  else
    bytes 0d 24 01 00 01 33 00 80 8d 5b 00 01 01
  fi
  bytes 12 24 02 01 01 02 00 00 00 00 00 00 00 00 03 00 00 00
  bytes 0b 24 05 02 01 00 00 02 00 00 00
  if [ "$kind" = zel ]; then
    # Unit 3: the first ZEL unit, selectors 1-8; unit 4: the second, selectors 1-4.
    bytes 1a 24 06 03 28 17 9e 5d 8d ab a9 4f 9a cb f6 d5 6d bc 05 a6 08 01 02 01 ff 00
    bytes 1a 24 06 04 c3 85 b8 0f c2 68 47 45 90 f7 8f 47 57 9d 95 fc 04 01 03 01 0f 00
    bytes 09 24 03 05 01 01 00 04 00
  else
    bytes 09 24 03 05 01 01 00 02 00
  fi
  bytes 07 05 83 03 10 00 06 05 25 03 10 00
  bytes 09 04 01 00 00 0e 02 00 00
  bytes 0e 24 01 01 37 00 81 00 05 00 00 00 01 00
  bytes 0b 24 06 01 01 01 01 00 00 00 00
  bytes 1e 24 07 01 00 80 02 e0 01 00 00 77 01 00 00 ca 08 00 60 09 00 15 16 05 00 01 15 16 05 00
  bytes 09 04 01 01 01 0e 02 00 00 07 05 81 05 00 0c 01
}

# attribute <file> <value>: a sysfs attribute, one line.
attribute() { printf '%s\n' "$2" >"$1"; }

# video_node <interface dir> <n> <index> <name>
video_node() {
  local interface=$1 n=$2 index=$3 name=$4
  local dir=$interface/video4linux/video$n
  mkdir -p "$dir"
  attribute "$dir/dev" "81:$n"
  attribute "$dir/index" "$index"
  attribute "$dir/name" "$name"
  ln -s "../../../$(basename "$interface")" "$dir/device"
  local relative=${dir#"$sys"/}
  ln -s "../../$relative" "$sys/class/video4linux/video$n"
  ln -s "../../$relative" "$sys/dev/char/81:$n"
  mknod "$root/dev/video$n" c 81 "$n"
}

for camera in "$@"; do
  IFS=: read -r n port kind vid pid bcd <<<"$camera"
  case $kind in
    zel) name="NORV Camera" by_id=NORV_ZEL_Camera ;;
    plain) name="USB Webcam" by_id=Generic_USB_Webcam ;;
    *) echo "unknown camera kind '$kind'" >&2; exit 2 ;;
  esac
  usb=$sys/devices/pci0000:00/0000:00:14.0/usb1/$port
  mkdir -p "$usb/$port:1.0" "$usb/$port:1.1"
  attribute "$usb/idVendor" "$vid"
  attribute "$usb/idProduct" "$pid"
  attribute "$usb/bcdDevice" "$bcd"
  attribute "$usb/product" "$name"
  descriptors "$kind" "$vid" "$pid" "$bcd" >"$usb/descriptors"
  for interface in 0 1; do
    attribute "$usb/$port:1.$interface/bInterfaceNumber" "0$interface"
    attribute "$usb/$port:1.$interface/bInterfaceClass" 0e
    attribute "$usb/$port:1.$interface/bInterfaceSubClass" "0$((interface + 1))"
  done
  video_node "$usb/$port:1.0" "$n" 0 "$name"
  video_node "$usb/$port:1.0" $((n + 1)) 1 "$name"
  for index in 0 1; do
    ln -s "../../video$((n + index))" "$root/dev/v4l/by-id/usb-${by_id}_$port-video-index$index"
    ln -s "../../video$((n + index))" \
      "$root/dev/v4l/by-path/pci-0000:00:14.0-usb-0:${port#*-}:1.0-video-index$index"
  done
done
