#!/usr/bin/env bash
# Builds the Linux packages of a build folder with CPack, the .debs (ostrel, and ostrel-gtk
# when the build has the window module) and the .tar.gz, and checks them: each holds exactly
# the expected files (the API reference: exactly the build's pages); ostrel depends on no
# GTK, ostrel-gtk on GTK 3 and on this ostrel; sane control fields; lintian finds no error.
# Usage: check-linux-packages.sh BUILD_DIR   (e.g. build/native)
set -euo pipefail
build=$1
rm -f "$build"/ostrel*_*.deb "$build"/Ostrel-*-Linux.tar.gz
for generator in DEB TGZ; do
  output=$(cd "$build" && cpack -G $generator 2>&1) || { echo "$output" >&2; exit 1; }
done
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
# The window module is packaged when the build has one.
window=
[ -e "$build/updater/libostrel-gtk.so" ] && window=$build/ostrel-gtk_${version}_$(dpkg --print-architecture).deb
if [ -n "$window" ] && [ ! -f "$window" ]; then
  fail "cpack made no $window"
  window=
fi
reference=share/doc/tandrel/html
# listing <lines>: the lines, empty ones dropped, each prefixed with $1.
listing() { sed '/^$/d' | sed "s|^|$1|"; }
# The prefix in the .deb and in the tarball.
prefix_files() {
  listing "$1" <<LIST
bin/
bin/bin/
bin/ostrel
bin/tandrel
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
share/
share/doc/
share/doc/tandrel/
$reference/
LIST
}
# What the tarball keeps in the prefix and the .deb puts where the system looks.
system_files() {
  listing "$1" <<LIST
lib/udev/
lib/udev/rules.d/
lib/udev/rules.d/70-ostrel-cameras.rules
$2share/
$2share/bash-completion/
$2share/bash-completion/completions/
$2share/bash-completion/completions/tandrel
$2share/man/
$2share/man/man1/
$2share/man/man1/ostrel.1.gz
$2share/man/man1/tandrel.1.gz
LIST
}
# Each .deb's copyright file, changelog and lintian override.
package_docs() {
  listing ./ <<LIST
usr/
usr/share/
usr/share/doc/
usr/share/doc/$1/
usr/share/doc/$1/changelog.gz
usr/share/doc/$1/copyright
usr/share/lintian/
usr/share/lintian/overrides/
usr/share/lintian/overrides/$1
LIST
}
# contents <package>: its files, "path" or "path -> target", the API reference's left out.
contents() {
  case $1 in
    *.deb) dpkg -c "$1" ;;
    *) tar -tvzf "$1" ;;
  esac | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' | grep -v "/$reference/." | sort
}
# compare <what> <expected> <actual>
compare() {
  if [ "$2" != "$3" ]; then
    fail "$1 differs from the expected listing (< expected, > package):"
    diff <(echo "$2") <(echo "$3") | grep '^[<>]' >&2 || true
  fi
}
# reference_matches <package> <path of the reference in it>: exactly the build's pages.
reference_matches() {
  local built packaged
  built=$(cd "$build/api-reference/html" && find . -type f -printf '%P\n' | sort)
  case $1 in
    *.deb) packaged=$(dpkg -c "$1" | awk '!/^d/ { print $6 }') ;;
    *) packaged=$(tar -tvzf "$1" | awk '!/^d/ { print $6 }') ;;
  esac
  packaged=$(grep "^$2/." <<<"$packaged" | sed "s|^$2/||" | sort)
  [ -n "$built" ] && [ "$built" = "$packaged" ] ||
    fail "$1: the API reference in $2 is not the build's $build/api-reference/html"
}
show() { echo "\$ $*"; "$@"; }
summary() { grep -v "/$reference/." || true; }

show dpkg-deb -c "$deb" | summary
echo "    ... and $(dpkg -c "$deb" | grep -c "/$reference/.") files of the API reference"
expected=$( { prefix_files ./opt/ostrel/; system_files ./ usr/; package_docs ostrel; listing ./ <<LIST
etc/
etc/ostrel/
etc/ostrel/pid.ini
lib/
opt/
opt/ostrel/
opt/ostrel/bin/pid.ini -> /etc/ostrel/pid.ini
usr/bin/
usr/bin/ostrel -> /opt/ostrel/bin/ostrel
usr/bin/tandrel -> /opt/ostrel/bin/tandrel
LIST
} | sort -u)
compare "$deb" "$expected" "$(contents "$deb")"
reference_matches "$deb" ./opt/ostrel/$reference

field() { dpkg-deb -f "$1" "$2"; }
show dpkg-deb -f "$deb" Package Version Architecture Depends
[ "$(field "$deb" Package)" = ostrel ] || fail "Package: $(field "$deb" Package)"
[ "$(field "$deb" Version)" = "$version" ] || fail "Version: $(field "$deb" Version)"
[ "$(field "$deb" Architecture)" = "$(dpkg --print-architecture)" ] ||
  fail "Architecture: $(field "$deb" Architecture)"
depends=$(field "$deb" Depends)
[[ "$depends" == *libc6* ]] || fail "$deb: Depends '$depends' names no libc6"
! grep -qiE 'gtk|gdk|cairo|pango|glib|atk|x11|wayland' <<<"$depends" ||
  fail "$deb: Depends '$depends' names a desktop library"
[ -n "$(field "$deb" Maintainer)" ] && [ -n "$(field "$deb" Description)" ] ||
  fail "no Maintainer or Description"
control=$(mktemp -d)
trap 'rm -rf "$control"' EXIT
dpkg-deb -e "$deb" "$control"
[ "$(cat "$control/conffiles")" = /etc/ostrel/pid.ini ] || fail "conffiles: $(cat "$control/conffiles")"
[ -x "$control/postinst" ] && sh -n "$control/postinst" || fail "postinst missing or not a shell script"
rules=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./lib/udev/rules.d/70-ostrel-cameras.rules)
for vendor in 0408 04da 1460; do
  [ "$(grep -c "idVendor}==\"$vendor\", TAG+=\"uaccess\"" <<<"$rules")" = 2 ] ||
    fail "udev rule: vendor $vendor not given to the seat's user for video and USB nodes"
done

if [ -n "$window" ]; then
  show dpkg-deb -c "$window"
  expected=$( { package_docs ostrel-gtk; listing ./opt/ostrel/ <<LIST
../
./
bin/
bin/libostrel-gtk.so
LIST
} | sed 's|/opt/ostrel/\.\./$|/opt/|; s|/opt/ostrel/\./$|/opt/ostrel/|' | sort)
  compare "$window" "$expected" "$(contents "$window")"
  show dpkg-deb -f "$window" Package Depends
  [ "$(field "$window" Package)" = ostrel-gtk ] || fail "Package: $(field "$window" Package)"
  depends=$(field "$window" Depends)
  [[ "$depends" == *"ostrel (= $version)"* ]] || fail "$window: Depends '$depends' names not ostrel (= $version)"
  [[ "$depends" == *libgtk-3-0* ]] || fail "$window: Depends '$depends' names not libgtk-3-0"
fi

# Errors fail; the warnings left are explained in docs/packaging.md.
if command -v lintian >/dev/null; then
  echo "\$ lintian $deb $window"
  lint=$(lintian --no-cfg "$deb" $window 2>&1 | grep -v 'root privileges' || true)
  echo "${lint:-(nothing)}"
  ! grep -q '^E:' <<<"$lint" || fail "lintian reports errors"
else
  fail "no lintian (scripts/install-tools.sh all)"
fi

top=$(basename "$tgz" .tar.gz)
expected=$( { prefix_files "$top/"; system_files "$top/" ""; listing "$top/" <<LIST
bin/pid.ini
${window:+bin/libostrel-gtk.so}
LIST
} | sort -u)
compare "$tgz" "$expected" "$(contents "$tgz")"
reference_matches "$tgz" "$top/$reference"

[ "$failures" = 0 ] || exit 1
echo "packages: $(basename "$deb")${window:+, $(basename "$window")} and $(basename "$tgz") hold exactly the expected files"
