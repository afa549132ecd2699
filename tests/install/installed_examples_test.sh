#!/usr/bin/env bash
# cmake --install of a build into a scratch prefix, its exact listing, then examples/ built
# out of the tree against the installed files, once through find_package(Tandrel) and once
# through pkg-config, and each program run: with no camera attached it reports one. The
# installed tandrel runs on the installed library too.
#
# usage: installed_examples_test.sh <build folder> <examples folder> <C compiler> <work folder>
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 <build folder> <examples folder> <C compiler> <work folder>" >&2; exit 2; }
build=$1 examples=$2 cc=$3 work=$4
rm -rf "$work"
prefix=$work/prefix
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
show() { echo "\$ $*" >&2; "$@"; }

show cmake --install "$build" --prefix "$prefix" >/dev/null
expected=$(sort <<'LIST'
bin/bin/
bin/ostrel
bin/pid.ini
bin/tandrel
include/tandrel.h
lib/cmake/Tandrel/TandrelConfig.cmake
lib/cmake/Tandrel/TandrelConfigVersion.cmake
lib/cmake/Tandrel/TandrelTargets-relwithdebinfo.cmake
lib/cmake/Tandrel/TandrelTargets.cmake
lib/libtandrel.so
lib/libtandrel.so.4
lib/libtandrel.so.4.0
lib/pkgconfig/tandrel.pc
lib/udev/rules.d/70-ostrel-cameras.rules
share/bash-completion/completions/tandrel
share/man/man1/ostrel.1.gz
share/man/man1/tandrel.1.gz
LIST
)
# The window module goes beside the program when the build has one.
if [ -e "$build/updater/libostrel-gtk.so" ]; then
  expected=$(sort <<<"$expected"$'\n'bin/libostrel-gtk.so)
fi
# files <folder>: every file and empty folder below it, sorted.
files() { (cd "$1" && find . -mindepth 1 \( -type d -empty -printf '%P/\n' \) -o \( ! -type d -printf '%P\n' \) | sort); }
reference=share/doc/tandrel/html
actual=$(files "$prefix" | grep -v "^$reference/" || true)
if [ "$actual" != "$expected" ]; then
  fail "installed files differ (< expected, > installed):"
  diff <(echo "$expected") <(echo "$actual") | grep '^[<>]' || true
fi
# The API reference, when the build has one, is the build's pages, all of them.
if [ -e "$build/api-reference/html/index.html" ]; then
  [ "$(files "$prefix/$reference")" = "$(files "$build/api-reference/html")" ] ||
    fail "$reference differs from $build/api-reference/html"
  echo "$reference: $(files "$prefix/$reference" | wc -l) pages and files, as built"
elif [ -e "$prefix/$reference" ]; then
  fail "$reference installed, but the build has no API reference"
fi

# needs_installed_library <program>: it loads the installed library by its soname.
needs_installed_library() {
  local program=$1 output
  readelf -d "$program" | grep -q 'NEEDED.*\[libtandrel\.so\.4\]' || fail "$program: does not need libtandrel.so.4"
  output=$(ldd "$program" | awk '/libtandrel/ { print $3 }')
  [ "$(realpath -q "$output")" = "$(realpath "$prefix/lib/libtandrel.so.4")" ] ||
    fail "$program: libtandrel from '$output'"
}

# run_example <program>: on the installed library it reports that no camera is attached.
run_example() {
  local program=$1 output code=0
  needs_installed_library "$program"
  output=$("$program") || code=$?
  echo "$output (exit $code)"
  [ "$output" = "no camera: -1" ] && [ "$code" = 1 ] || fail "$program: '$output', exit $code"
}

echo "--- bin/tandrel"
needs_installed_library "$prefix/bin/tandrel"
code=0
output=$("$prefix/bin/tandrel" --help) || code=$?
[ "$code" = 0 ] && grep -q '^usage: tandrel ' <<<"$output" || fail "bin/tandrel --help: exit $code"
echo "bin/tandrel --help: exit $code, $(wc -l <<<"$output") lines"

echo "--- find_package(Tandrel)"
show cmake -S "$examples" -B "$work/cmake" -G Ninja -DCMAKE_C_COMPILER="$cc" \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
show cmake --build "$work/cmake"
run_example "$work/cmake/zel_info"

echo "--- pkg-config"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
flags=$(show pkg-config --cflags --libs tandrel)
echo "$flags"
mkdir -p "$work/pkg-config"
# shellcheck disable=SC2086 # the flags are words
show "$cc" -Wall -Wextra -Werror -o "$work/pkg-config/zel_info" "$examples/zel_info.c" $flags
run_example "$work/pkg-config/zel_info"

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "installed examples: both builds ran against $prefix"
