#!/usr/bin/env bash
# Builds the Linux packages of a build folder with CPack, a .deb and a .tar.gz, and checks
# that each holds exactly the expected files: the .deb the prefix at /opt/ostrel and the udev
# rule in /lib/udev/rules.d, with sane control fields; the tarball the relocatable prefix.
# Usage: check-linux-packages.sh BUILD_DIR   (e.g. build/native)
set -euo pipefail
build=$1
rm -f "$build"/ostrel_*.deb "$build"/Ostrel-*-Linux.tar.gz
(cd "$build" && cpack -G DEB >/dev/null && cpack -G TGZ >/dev/null)
deb=$(echo "$build"/ostrel_*.deb)
tgz=$(echo "$build"/Ostrel-*-Linux.tar.gz)
for package in "$deb" "$tgz"; do
  [ -f "$package" ] || { echo "FAIL: cpack made no $package in $build" >&2; exit 1; }
done
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The name is ostrel_<version>_<architecture>.deb.
version=$(basename "$deb" | cut -d_ -f2)
major=${version%%.*}
# The window module goes beside the program when the build has one.
window_module=
[ -e "$build/updater/libostrel-gtk.so" ] && window_module=bin/libostrel-gtk.so
prefix_files() {
  sed '/^$/d' <<LIST | sed "s|^|$1|"
bin/
bin/bin/
bin/ostrel
bin/pid.ini
$window_module
include/
include/tandrel.h
lib/
lib/cmake/
lib/cmake/Tandrel/
lib/cmake/Tandrel/TandrelConfig.cmake
lib/cmake/Tandrel/TandrelConfigVersion.cmake
lib/cmake/Tandrel/TandrelTargets-relwithdebinfo.cmake
lib/cmake/Tandrel/TandrelTargets.cmake
lib/libtandrel.so -> libtandrel.so.$major
lib/libtandrel.so.$major -> libtandrel.so.$version
lib/libtandrel.so.$version
lib/pkgconfig/
lib/pkgconfig/tandrel.pc
LIST
}
# compare <what> <expected> <actual>
compare() {
  if [ "$2" != "$3" ]; then
    fail "$1 differs from the expected listing (< expected, > package):"
    diff <(echo "$2") <(echo "$3") | grep '^[<>]' >&2
  fi
}

dpkg -c "$deb"
expected=$( { printf '%s\n' ./lib/ ./lib/udev/ ./lib/udev/rules.d/ \
  ./lib/udev/rules.d/70-ostrel-cameras.rules ./opt/ ./opt/ostrel/; prefix_files ./opt/ostrel/; } | sort)
actual=$(dpkg -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' | sort)
compare "$deb" "$expected" "$actual"

dpkg-deb -I "$deb"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ostrel ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[[ "$(field Depends)" == *libc6* ]] || fail "Depends: '$(field Depends)' names no libc6"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "no Maintainer or Description"
control=$(mktemp -d)
trap 'rm -rf "$control"' EXIT
dpkg-deb -e "$deb" "$control"
[ "$(cat "$control/conffiles")" = /opt/ostrel/bin/pid.ini ] || fail "conffiles: $(cat "$control/conffiles")"
[ -x "$control/postinst" ] && sh -n "$control/postinst" || fail "postinst missing or not a shell script"
rules=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./lib/udev/rules.d/70-ostrel-cameras.rules)
for vendor in 0408 04da 1460; do
  [ "$(grep -c "idVendor}==\"$vendor\", TAG+=\"uaccess\"" <<<"$rules")" = 2 ] ||
    fail "udev rule: vendor $vendor not given to the seat's user for video and USB nodes"
done

top=$(basename "$tgz" .tar.gz)
expected=$( { echo "$top/lib/udev/"; echo "$top/lib/udev/rules.d/"
  echo "$top/lib/udev/rules.d/70-ostrel-cameras.rules"; prefix_files "$top/"; } | sort)
actual=$(tar -tvzf "$tgz" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' | sort)
compare "$tgz" "$expected" "$actual"

[ "$failures" = 0 ] || exit 1
echo "packages: $deb and $tgz hold exactly the expected files"
