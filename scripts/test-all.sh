#!/usr/bin/env bash
# The whole test suite: the native build with its tests and its Linux packages, again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer,
# the 32-bit Windows release build (exports, imports, version blocks, the release archive) with
# its tests under 32-bit Wine (a sample of them in a virtual machine where this machine refuses
# 32-bit programs: scripts/test-win32.sh), the 64-bit Windows build with its tests under
# wine64, a sample of the fault sweep and a bounded run of every fuzz target.
#
# usage: test-all.sh [--everyday]
#   --everyday   the native build and its tests only
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# Each step with the seconds spent so far, for where CI's time goes.
step() { printf '\n=== %s (at %d s) ===\n' "$*" "$SECONDS"; }

case "${1:-}" in
  --everyday)
    ./scripts/install-tools.sh native
    step "configure, build and test: native"
    cmake --preset native >/dev/null
    cmake --build --preset native -- -j"$jobs"
    exec ctest --preset native -j"$jobs" ;;
  "") ;;
  *) echo "usage: $0 [--everyday]" >&2; exit 2 ;;
esac

./scripts/install-tools.sh all
# One Wine prefix for the 64-bit Windows build (it runs the image maker) and its tests; the
# runner makes it on first use. The win32 presets run in a 32-bit prefix of their own.
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wine64-prefix}"
# Each Windows build's test results, with every test's whole output, for the reports at the end.
results=(--test-output-size-passed 1048576 --output-junit)

for preset in native native-asan native-tsan win32 win64; do
  step "configure and build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -- -j"$jobs"
done

step "check: the Linux packages"
./scripts/check-linux-packages.sh build/native

step "check: the release build is PE32"
file build/win32/updater/ostrel.exe | grep -q 'PE32 executable' || {
  echo "build/win32/updater/ostrel.exe is not a PE32 executable" >&2
  exit 1
}

step "check: no call into nowhere in the shipped Windows binaries"
for arch in win32:i686 win64:x86_64; do
  preset=${arch%%:*} tools=${arch#*:}-w64-mingw32
  ./scripts/check-windows-binary.sh "$tools-objdump" "$tools-nm" \
    "build/$preset/updater/ostrel.exe" "build/$preset/library/Tandrel.dll" \
    "build/$preset/tools/tandrel_cli/tandrel.exe"
done

step "check: the release build calls the libraries it loads only through the call gate"
mapfile -t engines <build/win32/vendor-engine-objects.txt
./scripts/check-vendor-calls.sh i686-w64-mingw32-objdump i686-w64-mingw32-nm \
  build/win32/updater/ostrel.exe "${engines[@]}"

step "check: exports, imports and version blocks of the release build"
./scripts/check-windows-release.sh i686-w64-mingw32 build/win32

step "check: the Windows release archive"
./scripts/check-windows-archive.sh build/win32

for preset in native native-asan native-tsan; do
  step "tests: $preset"
  ctest --preset "$preset" -j"$jobs"
done

step "kernel bench: the shipped Linux binaries on Debian's uvcvideo in a virtual machine"
./scripts/kernel-bench.sh --build build/native

step "fault sweep: a sample (scripts/fault-sweep.sh without --sample sweeps in full)"
./scripts/fault-sweep.sh --sample 12 -j "$jobs"

# The release build where it ships, under 32-bit Wine (build/win32/wine32-prefix): natively,
# or a sample in a virtual machine where this machine refuses 32-bit programs; a machine that
# can do neither has one skipped test instead (cmake/emulator_check.cmake).
step "tests: win32"
./scripts/test-win32.sh --sample -j "$jobs" -- "${results[@]}" "$PWD/build/win32/test-results.xml"

step "tests: win64"
ctest --preset win64 -j"$jobs" "${results[@]}" "$PWD/build/win64/test-results.xml"

step "stress: every outcome once, windowed and silent (scripts/stress-runs.sh with a count for more)"
./scripts/stress-runs.sh --work build/stress-sample/native build/native native 1
./scripts/stress-runs.sh --work build/stress-sample/win64 --prefix "$WINEPREFIX" build/win64 win64 1
# Only where the win32 tests run natively (build/win32/test-mode.txt says how they ran).
[[ $(cat build/win32/test-mode.txt) != natively* ]] ||
  ./scripts/stress-runs.sh --work build/stress-sample/win32 --prefix "$PWD/build/win32/wine32-prefix" \
    build/win32 win32 1

step "fuzz: every target for 12 s"
./scripts/fuzz.sh --seconds 12

step "reports of the Windows platform tests"
# What the platform tests measured (trace comparison, the silent runs' tables, the windowed
# run's states, the short windowed runs, the call gate's wrong calls), from their output without
# GoogleTest's own lines; each run of the engines against a stand-in variant as its result; or
# the one line saying why a build's tests did not run.
for preset in win32 win64; do
  printf -- '--- %s\n' "$preset"
  [ "$preset" != win32 ] || echo "win32 tests: $(cat build/win32/test-mode.txt)"
  awk 'function text(s) {
         gsub(/&lt;/, "<", s); gsub(/&gt;/, ">", s); gsub(/&quot;/, "\"", s); gsub(/&apos;/, "\047", s)
         gsub(/&amp;/, "\\&", s); return s
       }
       /^\t<testcase name="/ {
         match($0, /name="[^"]*"/); name = substr($0, RSTART + 6, RLENGTH - 7)
         match($0, /status="[^"]*"/); status = substr($0, RSTART + 8, RLENGTH - 9)
         if (name ~ /^engines_vendor_e2e/) print name ": " (status == "run" ? "passed" : status)
         shown = name ~ /^(platform_|windowed_|engines_call|windows_tests_not_run)/
         if (shown && name !~ /^windows_tests_not_run/) print name ": " (status == "run" ? "passed" : status)
         next
       }
       !shown { next }
       { line = $0; sub(/^\t*<system-out>/, "", line); ended = sub(/<\/system-out>$/, "", line) }
       name ~ /^windows_tests_not_run/ { if (line ~ /^this machine/) print text(line) }
       name !~ /^windows_tests_not_run/ && line !~ /^(\[|Running main|Note: Google Test|ok |\t*<)/ {
         print text(line)
       }
       ended { shown = 0 }' "build/$preset/test-results.xml"
done
step "all passed"
