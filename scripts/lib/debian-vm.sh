# Sourced (bash): a virtual machine of Debian's own kernel under qemu's TCG, for the scripts that
# run what this host cannot (scripts/kernel-bench.sh, scripts/test-win32.sh). The kernel package
# (what the archive serves for linux-image-amd64) is fetched with apt-get download and unpacked,
# never installed, and cached under build/kernel-bench/kernel/; the initramfs is busybox, some of
# the kernel's modules (each after those it needs) and an init of the caller's.
#
# Each function that can fail for want of something on this host sets vm_why and returns 1.

vm_busybox=/bin/busybox

# vm_host_ready: qemu and a static busybox are at hand.
vm_host_ready() {
  command -v qemu-system-x86_64 >/dev/null ||
    { vm_why="qemu-system-x86_64 missing (package qemu-system-x86)"; return 1; }
  file -L "$vm_busybox" 2>/dev/null | grep -q 'statically linked' ||
    { vm_why="no static busybox at $vm_busybox (package busybox-static)"; return 1; }
}

# vm_kernel CACHE: the kernel in the version the archive serves now, unpacked once per version
# under CACHE. Sets vm_kernel_package, vm_kernel_version, vm_kernel_image and vm_kernel_modules.
vm_kernel() {
  local cache=$1 unpacked release
  vm_kernel_package=$(vm_kernel_package_name)
  if [ -z "$vm_kernel_package" ] && [ "$(id -u)" = 0 ]; then
    apt-get update -qq >/dev/null 2>&1 || true
    vm_kernel_package=$(vm_kernel_package_name)
  fi
  [ -n "$vm_kernel_package" ] || { vm_why="the package lists name no linux-image-amd64"; return 1; }
  vm_kernel_version=$(apt-cache show --no-all-versions "$vm_kernel_package" 2>/dev/null |
                      awk '/^Version:/ { print $2; exit }')
  unpacked=$cache/${vm_kernel_package}_$vm_kernel_version
  if [ ! -e "$unpacked/ready" ]; then
    rm -rf "$unpacked"
    mkdir -p "$unpacked/deb"
    (cd "$unpacked/deb" && apt-get download "$vm_kernel_package=$vm_kernel_version" >/dev/null 2>&1) ||
      { vm_why="apt-get download $vm_kernel_package=$vm_kernel_version failed"; return 1; }
    dpkg-deb -x "$unpacked"/deb/*.deb "$unpacked/root"
    release=$(ls "$unpacked/root/lib/modules")
    # The package leaves module dependencies to its installation; computed the same way here.
    "$vm_busybox" depmod -b "$unpacked/root" "$release"
    rm -rf "$unpacked/deb"
    touch "$unpacked/ready"
  fi
  release=$(ls "$unpacked/root/lib/modules")
  vm_kernel_image=$unpacked/root/boot/vmlinuz-$release
  vm_kernel_modules=$unpacked/root/lib/modules/$release
}

# The image package linux-image-amd64 depends on.
vm_kernel_package_name() {
  apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ { print $2; exit }'
}

# vm_module_order NAME...: the modules' files (relative to vm_kernel_modules) with their
# dependencies, each after what it needs, from modules.dep, in vm_modules.
vm_module_order() {
  local name path
  vm_modules=()
  for name in "$@"; do
    path=$(awk -F: -v n="/$name.ko" 'index($1, n) && substr($1, length($1) - length(n) + 1) == n { print $1; exit }' \
      "$vm_kernel_modules/modules.dep")
    [ -n "$path" ] || { vm_why="kernel $(basename "$vm_kernel_modules") has no module $name"; return 1; }
    vm_module_after_dependencies "$path"
  done
}
vm_module_after_dependencies() {
  local wanted=$1 dependency
  case " ${vm_modules[*]:-} " in *" $wanted "*) return ;; esac
  for dependency in $(awk -v m="$wanted" -F': *' '$1 == m { print $2 }' "$vm_kernel_modules/modules.dep"); do
    vm_module_after_dependencies "$dependency"
  done
  vm_modules+=("$wanted")
}

# vm_initramfs_start STAGING: a new initramfs tree with busybox in /bin and the modules of
# vm_modules in /lib/modules, listed in load order in /lib/modules/load-order. The caller adds
# its /init and anything else, then packs it with vm_initramfs_pack.
vm_initramfs_start() {
  local staging=$1 module
  rm -rf "$staging"
  mkdir -p "$staging"/{bin,dev,proc,sys,tmp,lib/modules}
  cp "$vm_busybox" "$staging/bin/busybox"
  for module in "${vm_modules[@]}"; do
    cp "$vm_kernel_modules/$module" "$staging/lib/modules/"
    basename "$module" >>"$staging/lib/modules/load-order"
  done
}

# vm_initramfs_pack STAGING ARCHIVE
vm_initramfs_pack() {
  (cd "$1" && find . | "$vm_busybox" cpio -o -H newc 2>/dev/null) | gzip -1 >"$2"
}

# vm_run SECONDS INITRAMFS CONSOLE_LOG [QEMU OPTION...]: boots the kernel with the initramfs, two
# virtual processors as CI has two cores, the serial console into CONSOLE_LOG; the machine ends
# when its init powers it off, or after SECONDS. Returns qemu's status (124 after SECONDS); qemu's
# own complaints go to standard error. In the foreground: an interrupt of the caller ends it.
# The guest's clock is the processor's counter, which TCG keeps in step on both processors (the
# kernel's own check, thrown off by emulation, would fall back to reading an emulated timer chip
# with a system call per reading: measured three times slower for Wine); and the guest runs
# only our own programs, so no mitigations of processor flaws.
vm_run() {
  local seconds=$1 initramfs=$2 console=$3
  shift 3
  timeout --foreground "$seconds" qemu-system-x86_64 -accel tcg,thread=multi -smp 2 -nographic -no-reboot \
    -kernel "$vm_kernel_image" -initrd "$initramfs" \
    -append "console=ttyS0 panic=-1 loglevel=4 tsc=reliable mitigations=off" \
    -monitor none -serial "file:$console" "$@" </dev/null >/dev/null
}
