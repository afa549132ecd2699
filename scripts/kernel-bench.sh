#!/usr/bin/env bash
# The real-kernel bench: the shipped Linux binaries of a build drive Debian's own uvcvideo in a
# virtual machine, through cameras that the ZEL camera model answers over USB/IP
# (sim/usbip/usbip_camera, attached to vhci-hcd inside the guest). The virtual machine is
# Debian's kernel under qemu's TCG (scripts/lib/debian-vm.sh); its initramfs holds busybox, the
# modules uvcvideo, vhci-hcd and the 9p share need and the libraries the binaries need. The scenarios
# (tests/platform/kernel/scenarios.sh) are prepared here, run in the guest, and checked here:
# a table of each one's result, USB control transfers and kernel-log verdict.
#
# usage: kernel-bench.sh [--all] [--build DIR] [--work DIR] [SCENARIO...]
#   --all         the library scenarios in full; without it (as CI runs the bench) the two
#                 that write a whole image through the library are left out
#   --build DIR   the native build whose binaries are tested (default build/native)
#   --work DIR    the work folder, shared with the guest (default build/kernel-bench/work)
#   SCENARIO      run only these (names as in the table); default all
# Exit codes: 0 every scenario passed, or the bench cannot run here (one SKIP line says why);
# 1 a scenario failed; 2 usage.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build/native
work=$here/build/kernel-bench/work
selected=()
bench_all=no
while [ $# -gt 0 ]; do
  case $1 in
    --all) bench_all=yes; shift ;;
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --work) work=$2; shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) selected+=("$1"); shift ;;
  esac
done
cache=$here/build/kernel-bench
skip() { echo "SKIP: kernel bench not run: $*"; exit 0; }
# shellcheck source=lib/debian-vm.sh
source "$here/scripts/lib/debian-vm.sh"
vm_host_ready || skip "$vm_why"
vm_kernel "$cache/kernel" || skip "$vm_why"
vm_module_order uvcvideo vhci-hcd 9pnet_virtio 9p virtio_pci || skip "$vm_why"

binaries=("$build/updater/ostrel" "$build/library/libtandrel.so" "$build/tools/tandrel_cli/tandrel"
          "$build/sim-usbip/usbip_camera" "$build/tests/platform/kernel/kernel_library_scenarios"
          "$build/tests/platform/kernel/uvc_query")
# The host's own tools for the scenarios: the images and the flashes they expect.
host_tools=("$build/tools/image_maker/ostrel_image_maker" "$build/tests/support/zel_flash_files")
for binary in "${binaries[@]}" "$build/sim-lib/libtandrel.so" "${host_tools[@]}"; do
  [ -e "$binary" ] || { echo "kernel bench: $binary missing: build the native preset first" >&2; exit 1; }
done

# The initramfs: busybox, the modules, the libraries of the binaries (which reach the guest
# on the share, as built), and the init.
initramfs=$cache/initramfs.gz
staging=$cache/initramfs
vm_initramfs_start "$staging"
mkdir -p "$staging/bench"
for binary in "${binaries[@]}"; do
  ldd "$binary" | awk '/=> \// { print $3 } /^\t\/.*ld-linux/ { print $1 }'
done | sort -u | while read -r library; do
  mkdir -p "$staging$(dirname "$library")"
  cp -L "$library" "$staging$library"
done
cp "$here/tests/platform/kernel/init" "$staging/init"
chmod +x "$staging/init"
vm_initramfs_pack "$staging" "$initramfs"

# The work folder the guest sees as /bench.
rm -rf "$work"
mkdir -p "$work/bin" "$work/scenarios"
cp "${binaries[@]}" "$work/bin/"
mkdir -p "$work/bin/sim" && cp "$build/sim-lib/libtandrel.so" "$work/bin/sim/"
cp "$here/tests/platform/kernel/guest.sh" "$work/"
# shellcheck source=../tests/platform/kernel/scenarios.sh
source "$here/tests/platform/kernel/scenarios.sh"
prepare_scenarios "$build" "$work" ${selected[@]+"${selected[@]}"}

echo "kernel bench: Debian $vm_kernel_package $vm_kernel_version, modules: ${vm_modules[*]##*/}"
started=$(date +%s)
# The guest's time-outs are its own.
vm_run 1500 "$initramfs" "$work/console.log" -m 2048 \
  -virtfs "local,path=$work,mount_tag=bench,security_model=none,id=bench" 2>"$work/qemu.err" ||
  echo "kernel bench: qemu ended with $? (console: $work/console.log)"
echo "kernel bench: the virtual machine ran $(( $(date +%s) - started )) s"
check_scenarios "$work"
