#!/usr/bin/env bash
# Demo: builds the simulation kit and runs a real update of its simulated ZEL camera, from
# firmware 0105 to 0107, in the terminal view of the windowed run; then shows the update log
# and runs once more, silently, to show that the camera is now up to date.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-tools.sh demo
echo "Building the simulation kit (first time: a few minutes)..."
cmake --preset native >/dev/null
cmake --build --preset native --target sim-kit -- -j"$(nproc)" >/dev/null

program_dir=$(mktemp -d)
trap 'rm -rf "$program_dir"' EXIT
cp -r build/native/sim-kit/. "$program_dir/"
cd "$program_dir"

echo
echo "== ./ostrel  (windowed run in the terminal view; Close is pressed once the update ends)"
set +e
./ostrel </dev/null 2>/dev/null
code=$?
set -e
echo "Exit code: $code"
echo
echo "== bin/Ostrel_sp.log"
iconv -f UTF-16 -t UTF-8 bin/Ostrel_sp.log
echo
echo "== ./ostrel -s  (silent run: the camera now reports 0107)"
set +e
./ostrel -s 2>/dev/null
code=$?
set -e
echo "Exit code: $code"
iconv -f UTF-16 -t UTF-8 bin/Ostrel_sp.log | tail -n 4
