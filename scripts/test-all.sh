#!/usr/bin/env bash
# The whole test suite: the native build with its tests and its Linux packages, again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer,
# the 32-bit Windows release build (exports, imports, version blocks, the release archive) with
# its tests under 32-bit Wine (a sample of them in a virtual machine where this machine refuses
# 32-bit programs: scripts/test-win32.sh), the 64-bit Windows build with its tests under
# wine64, a sample of the fault sweep and a bounded run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-tools.sh all
jobs=$(nproc)
# One Wine prefix for the 64-bit Windows build (it runs the image maker) and its tests; the
# runner makes it on first use. The win32 presets run in a 32-bit prefix of their own.
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wine64-prefix}"

step() { printf '\n=== %s ===\n' "$*"; }

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
engines=build/win32/updater/CMakeFiles/ostrel_core.dir/engines
./scripts/check-vendor-calls.sh i686-w64-mingw32-objdump i686-w64-mingw32-nm \
  build/win32/updater/ostrel.exe "$engines"/{sonix,sunplus,zel}_engine.cpp.obj

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
./scripts/test-win32.sh --sample -j "$jobs"

step "tests: win64"
ctest --preset win64 -j"$jobs"

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
# run's states, the short windowed runs, the call gate's wrong calls), from their logged output
# without GoogleTest's own lines; each run of the engines against a stand-in variant as its
# GoogleTest result; or the one line saying why a build's tests did not run.
for preset in win32 win64; do
  printf -- '--- %s\n' "$preset"
  [ "$preset" != win32 ] || echo "win32 tests: $(cat build/win32/test-mode.txt)"
  awk '/^[0-9]+\/[0-9]+ Testing: windows_tests_not_run/ { not_run = 1; next }
       not_run && /^this machine/ { print; not_run = 0 }
       /^[0-9]+\/[0-9]+ Testing: engines_vendor_e2e/ { variant = $3; next }
       variant && /^\[  (PASSED|FAILED)  \]/ { print variant ": " $0; variant = "" }
       /^[0-9]+\/[0-9]+ Testing: (platform_|windowed_|engines_call)/ { shown = 1; print; next }
       shown && /^<end of output>/ { shown = 0 }
       shown && !/^(\[|Output:|-+$|Note: Google Test|ok |Running main|Command:|Directory:)/ &&
         !/^[0-9]+\/[0-9]+ Test:|" start time: / { print }' \
    "build/$preset/Testing/Temporary/LastTest.log"
done
