#!/usr/bin/env bash
# The win32 tests: the release build (build/win32, configured and built here first) as shipped,
# under 32-bit Wine, wherever this machine can run them, ending with ctest's summary.
# - Natively, where this machine runs 32-bit programs: ctest --preset win32, every test.
# - In a virtual machine, where its kernel refuses them (found by running 32-bit Wine): Debian's
#   kernel under qemu's TCG (scripts/lib/debian-vm.sh) runs the host's own Wine and ctest in a
#   chroot of the host's files, with this build folder at its own path (scripts/win32-vm/).
#   Code runs 10 to 20 times slower there, so --sample runs only the tests named in `sample`
#   below (about 10 minutes, 90 s more the first time, to make the Wine prefix); the whole set
#   takes about half an hour.
# - Nowhere else: the build's one skipped test says why.
# The first line says which; build/win32/test-mode.txt keeps it for scripts/test-all.sh.
#
# usage: test-win32.sh [--sample] [-j N] [-- CTEST ARGUMENT...]
#   --sample   in the virtual machine, the sample only (natively every test runs anyway)
#   -j N       parallel builds and tests (default: the number of processors)
#   --         the rest goes to ctest (for example -- -R engines_call_gate_test)
# Exit status: ctest's (0 where the tests cannot run at all: their one test is skipped).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd -P)
build=$here/build/win32
jobs=$(nproc)
only_sample=no
ctest_arguments=()
while [ $# -gt 0 ]; do
  case $1 in
    --sample) only_sample=yes; shift ;;
    -j) jobs=$2; shift 2 ;;
    --) shift; ctest_arguments=("$@"); break ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done

# The sample, by test name: the silent runs' table of the shipped ostrel.exe, the call gate, the
# engines against the three builds of the stand-in vendor libraries, and the release archive run.
sample=(platform_ostrel_silent_test engines_call_gate_test engines_vendor_e2e_test
        engines_vendor_e2e_stdcall_test engines_vendor_e2e_stdcall-decorated_test
        release_archive_made platform_release_archive_test)

# Where the tests can run. 32-bit Wine's loader is itself a 32-bit program: running it answers
# for this machine's kernel.
wine32=/usr/lib/wine/wine
# shellcheck source=lib/debian-vm.sh
source "$here/scripts/lib/debian-vm.sh"
if [ ! -x "$wine32" ]; then
  where=nowhere why="32-bit Wine is not installed (package wine32:i386)"
elif refusal=$("$wine32" --version 2>&1); then
  where=natively
elif ! { vm_host_ready && vm_kernel "$here/build/kernel-bench/kernel" &&
         vm_module_order 9pnet_virtio 9p virtio_pci overlay; }; then
  where=nowhere
  why="this machine refuses 32-bit programs (${refusal##*: }), and their virtual machine: $vm_why"
else
  where=vm why="this machine refuses 32-bit programs: ${refusal##*: }"
fi

case $where in
  natively) how="natively under 32-bit Wine, every test" ;;
  vm) if [ "$only_sample" = yes ]; then
        how="in a virtual machine, a sample of ${#sample[@]} tests ($why)"
      else
        how="in a virtual machine, every test ($why)"
      fi ;;
  nowhere) how="not run: $why" ;;
esac
echo "win32 tests: $how"

in_vm=OFF
[ "$where" != vm ] || in_vm=ON
cmake --preset win32 -DOSTREL_PROGRAMS_RUN_IN_VM="$in_vm" >/dev/null
cmake --build --preset win32 -- -j"$jobs"
echo "$how" >"$build/test-mode.txt"

ctest_command=(ctest --preset win32 -j"$jobs")
if [ "$where" = vm ] && [ "$only_sample" = yes ]; then
  ctest_command+=(-R "^($(IFS='|'; echo "${sample[*]}"))\$")
fi
ctest_command+=(${ctest_arguments[@]+"${ctest_arguments[@]}"})
if [ "$where" != vm ]; then
  cd "$here"
  exec "${ctest_command[@]}"
fi

# The virtual machine: its folder build/win32/vm holds the initramfs, the console and guest logs
# and the Wine prefix's tarball (made by the first run, about 90 s; restored by later ones).
vm=$build/vm
mkdir -p "$vm" "$build/wine32-prefix"
quoted() { local text=${1//\'/\'\\\'\'}; printf "'%s'" "$text"; }
guest_command=$(printf '%q ' "$here/scripts/win32-vm/guest.sh" "$here" "$build/wine32-prefix" \
                              "$vm/wine32-prefix.tar" "${ctest_command[@]:1}")
vm_initramfs_start "$vm/initramfs"
cp "$here/scripts/win32-vm/init" "$vm/initramfs/init"
{
  echo "build=$(quoted "$build")"
  echo "status=$(quoted "$vm/guest.status")"
  echo "lang=$(quoted "${LANG:-C.UTF-8}")"
  echo "command=$(quoted "$guest_command")"
} >"$vm/initramfs/vm.conf"
vm_initramfs_pack "$vm/initramfs" "$vm/initramfs.gz"
rm -f "$vm/guest.log" "$vm/guest.status"

limit=1800
[ "$only_sample" = yes ] || limit=7200
echo "win32 tests: Debian $vm_kernel_package $vm_kernel_version under qemu (TCG), at most $limit s"
started=$(date +%s)
# SMAP off: with it, 32-bit user code faults under qemu 7.2's TCG. The host's root is shared
# read-only; the guest writes only to the build folder.
vm_run "$limit" "$vm/initramfs.gz" "$vm/console.log" -m 4096 -cpu max,-smap \
  -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
  -virtfs "local,path=$build,mount_tag=build,security_model=none" \
  -serial "file:$vm/guest.log" 2>"$vm/qemu.err" &
machine=$!
# The guest's output as it comes; tail ends with the machine, its status says nothing.
tail -n +1 -F --pid="$machine" "$vm/guest.log" 2>/dev/null || true
machine_status=0
wait "$machine" || machine_status=$?
if [ ! -s "$vm/guest.status" ]; then
  echo "win32 tests: the virtual machine ended ($machine_status) after $(( $(date +%s) - started )) s" \
       "before its tests did; its console: $vm/console.log" >&2
  tail -n 20 "$vm/console.log" >&2
  exit 1
fi
exit "$(cat "$vm/guest.status")"
