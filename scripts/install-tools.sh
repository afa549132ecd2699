#!/usr/bin/env bash
# Installs the Debian packages a task needs, only those missing: "demo" (the native build and
# the simulation kit), "native" (the native build with every part and its tests: the everyday
# loop) or "all" (every build and test of scripts/test-all.sh). Run as root, or
# with sudo at hand; otherwise it names what is missing and fails.
#
# usage: install-tools.sh demo|native|all
set -euo pipefail

demo=(cmake ninja-build g++ libgtest-dev)
native=("${demo[@]}" pkg-config libgtk-3-dev libbenchmark-dev)
all=("${demo[@]}" file libgtest-dev googletest libbenchmark-dev g++-mingw-w64-i686-posix
     g++-mingw-w64-x86-64-posix wine64 unzip xvfb imagemagick libgtk-3-dev xdotool pkg-config
     dpkg-dev clang libclang-rt-14-dev doxygen mandoc groff-base lintian wine32:i386
     qemu-system-x86 busybox-static)

case "${1:-}" in
  demo) wanted=("${demo[@]}") ;;
  native) wanted=("${native[@]}") ;;
  all) wanted=("${all[@]}") ;;
  *) echo "usage: $0 demo|native|all" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" = 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them as root: apt-get install ${missing[*]}" >&2
  [[ " ${missing[*]} " != *":i386 "* ]] ||
    echo "(first dpkg --add-architecture i386 and apt-get update)" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
# 32-bit Wine comes from the i386 architecture, which a fresh amd64 machine does not have yet.
if [[ " ${missing[*]} " == *":i386 "* ]] &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
# A mirror in the middle of a sync serves index files of the wrong size for a while: try again,
# and in the end go on with what was fetched, since the install says plainly what is missing.
update_errors=$(mktemp)
trap 'rm -f "$update_errors"' EXIT
for attempt in 1 2 3 4; do
  updated=yes
  "${as_root[@]}" apt-get update -qq 2>"$update_errors" || updated=no
  cat "$update_errors" >&2
  [ "$updated" = no ] || break
  [ "$attempt" = 4 ] || { echo "apt-get update failed; again in 30 s" >&2; sleep 30; }
done
# The suites whose i386 index the last update could not fetch ("Failed to fetch
# http://.../dists/<suite>/main/binary-i386/Packages.xz").
missing_i386_suites=$(sed -n 's|.*Failed to fetch .*/dists/\([^/]*\)/.*/binary-i386/.*|\1|p' \
                        "$update_errors" | sort -u | tr '\n' ' ')
# 32-bit Wine needs i386 libraries of the very versions of the installed amd64 ones, which a
# suite without its i386 index (in practice the security suite) cannot give. Then the install is
# made against the main suite's versions for both architectures: an apt preference for that one
# install, which may take amd64 libraries back to the main suite's version.
install_foreign() {
  local codename preferences status=0
  if [ -z "$missing_i386_suites" ]; then
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
    return
  fi
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  echo "$*: no i386 index of ${missing_i386_suites% }; installing against $codename's versions" \
       "(amd64 libraries included)"
  preferences=$(mktemp)
  printf 'Package: *\nPin: release n=%s,l=Debian\nPin-Priority: 1001\n' "$codename" >"$preferences"
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --allow-downgrades \
    -o Dir::Etc::Preferences="$preferences" "$@" >/dev/null || status=$?
  rm -f "$preferences"
  return "$status"
}
native=() foreign=()
for package in "${missing[@]}"; do
  if [[ $package == *:i386 ]]; then foreign+=("$package"); else native+=("$package"); fi
done
[ ${#native[@]} -eq 0 ] ||
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${native[@]}" >/dev/null
# When even that fails, everything else is installed and the win32 tests are skipped with their
# reason (the build's emulator check finds no 32-bit Wine).
if [ ${#foreign[@]} -gt 0 ] && ! install_foreign "${foreign[@]}"; then
  echo "WARNING: ${foreign[*]} cannot be installed from this mirror: the 32-bit tests will not run" >&2
fi
