#!/usr/bin/env bash
# The real-kernel bench: the shipped Linux binaries of a build drive Debian's own uvcvideo in a
# virtual machine, through cameras that the ZEL camera model answers over USB/IP
# (sim/usbip/usbip_camera, attached to vhci-hcd inside the guest). Debian's kernel package
# (what the archive serves for linux-image-amd64) is fetched with apt-get download and
# unpacked, never installed, and cached under build/kernel-bench/; the initramfs holds
# busybox, the modules uvcvideo, vhci-hcd and the 9p share need (from the kernel's own module
# dependencies) and the libraries the binaries need; qemu boots it under TCG. The scenarios
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

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 missing (package qemu-system-x86)"
busybox=/bin/busybox
file -L "$busybox" 2>/dev/null | grep -q 'statically linked' ||
  skip "no static busybox at $busybox (package busybox-static)"

# The kernel: the image package linux-image-amd64 depends on, in the version the archive
# serves now; unpacked once per version.
kernel_package() {
  apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ { print $2; exit }'
}
package=$(kernel_package)
if [ -z "$package" ] && [ "$(id -u)" = 0 ]; then
  apt-get update -qq >/dev/null 2>&1 || true
  package=$(kernel_package)
fi
[ -n "$package" ] || skip "the package lists name no linux-image-amd64"
version=$(apt-cache show --no-all-versions "$package" 2>/dev/null | awk '/^Version:/ { print $2; exit }')
kernel=$cache/kernel/${package}_$version
if [ ! -e "$kernel/ready" ]; then
  rm -rf "$kernel"
  mkdir -p "$kernel/deb"
  (cd "$kernel/deb" && apt-get download "$package=$version" >/dev/null 2>&1) ||
    skip "apt-get download $package=$version failed"
  dpkg-deb -x "$kernel"/deb/*.deb "$kernel/root"
  release=$(ls "$kernel/root/lib/modules")
  # The package leaves module dependencies to its installation; computed the same way here.
  "$busybox" depmod -b "$kernel/root" "$release"
  rm -rf "$kernel/deb"
  touch "$kernel/ready"
fi
release=$(ls "$kernel/root/lib/modules")
modules=$kernel/root/lib/modules/$release

# Modules and their dependencies, each after what it needs, from modules.dep.
load_order() {
  local wanted=$1 dependencies
  case " ${order[*]:-} " in *" $wanted "*) return ;; esac
  dependencies=$(awk -v m="$wanted" -F': *' '$1 == m { print $2 }' "$modules/modules.dep")
  for dependency in $dependencies; do load_order "$dependency"; done
  order+=("$wanted")
}
order=()
for name in uvcvideo vhci-hcd 9pnet_virtio 9p virtio_pci; do
  path=$(awk -F: -v n="/$name.ko" 'index($1, n) && substr($1, length($1) - length(n) + 1) == n { print $1; exit }' \
    "$modules/modules.dep")
  [ -n "$path" ] || skip "kernel $release has no module $name"
  load_order "$path"
done

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
rm -rf "$staging"
mkdir -p "$staging"/{bin,dev,proc,sys,tmp,bench,lib/modules}
cp "$busybox" "$staging/bin/busybox"
for module in "${order[@]}"; do
  cp "$modules/$module" "$staging/lib/modules/"
  basename "$module" >>"$staging/lib/modules/load-order"
done
for binary in "${binaries[@]}"; do
  ldd "$binary" | awk '/=> \// { print $3 } /^\t\/.*ld-linux/ { print $1 }'
done | sort -u | while read -r library; do
  mkdir -p "$staging$(dirname "$library")"
  cp -L "$library" "$staging$library"
done
cp "$here/tests/platform/kernel/init" "$staging/init"
chmod +x "$staging/init"
(cd "$staging" && find . | "$busybox" cpio -o -H newc 2>/dev/null) | gzip -1 >"$initramfs"

# The work folder the guest sees as /bench.
rm -rf "$work"
mkdir -p "$work/bin" "$work/scenarios"
cp "${binaries[@]}" "$work/bin/"
mkdir -p "$work/bin/sim" && cp "$build/sim-lib/libtandrel.so" "$work/bin/sim/"
cp "$here/tests/platform/kernel/guest.sh" "$work/"
# shellcheck source=../tests/platform/kernel/scenarios.sh
source "$here/tests/platform/kernel/scenarios.sh"
prepare_scenarios "$build" "$work" ${selected[@]+"${selected[@]}"}

echo "kernel bench: Debian $package $version, modules: ${order[*]##*/}"
started=$(date +%s)
# Two virtual processors as CI has two cores; the guest's time-outs are its own.
timeout 1500 qemu-system-x86_64 -accel tcg,thread=multi -smp 2 -m 2048 -nographic -no-reboot \
  -kernel "$kernel/root/boot/vmlinuz-$release" -initrd "$initramfs" \
  -append "console=ttyS0 panic=-1 loglevel=4" \
  -virtfs "local,path=$work,mount_tag=bench,security_model=none,id=bench" \
  -monitor none -serial "file:$work/console.log" </dev/null >/dev/null 2>"$work/qemu.err" ||
  echo "kernel bench: qemu ended with $? (console: $work/console.log)"
echo "kernel bench: the virtual machine ran $(( $(date +%s) - started )) s"
check_scenarios "$work"
