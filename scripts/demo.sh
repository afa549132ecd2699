#!/usr/bin/env bash
# Demo: builds the native programs and runs the simulated updater silently in a scratch
# program folder, then shows its exit code and its update log.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native --target ostrel_sim -- -j"$(nproc)" >/dev/null

program_dir=$(mktemp -d)
trap 'rm -rf "$program_dir"' EXIT
mkdir -p "$program_dir/bin"
cp build/native/sim-bin/ostrel "$program_dir/"
printf '[World]\nTimeScale=0.01\n' > "$program_dir/simcam.ini"

echo "Running: ostrel -s in $program_dir"
set +e
"$program_dir/ostrel" -s
code=$?
set -e
echo "Exit code: $code"
echo "Update log (bin/Ostrel_sp.log):"
iconv -f UTF-16 -t UTF-8 "$program_dir/bin/Ostrel_sp.log"
