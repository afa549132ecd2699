#!/usr/bin/env bash
# Performance of a full ZEL update (0105 -> 0107) on the simulation kit's camera, run by hand:
#  - with 1 ms per camera request, against a sleep-only baseline of as many 1 ms sleeps in the
#    same run: the ratio is what the updater, the library and the model add to a slow camera;
#  - with no delay: the CPU time (user + sys) of the whole run per camera request;
#  - the peak memory (max RSS) of each run.
set -euo pipefail
export LC_ALL=C  # decimal points in bc and printf
cd "$(dirname "$0")/.."

echo "Building the simulation kit and the measuring helpers..."
cmake --preset native >/dev/null
cmake --build --preset native --target sim-kit sleep_baseline run_usage -- -j2 >/dev/null
kit=$PWD/build/native/sim-kit
sleep_baseline=$PWD/build/native/benchmarks/sleep_baseline
run_usage=$PWD/build/native/benchmarks/run_usage

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A fresh copy of the kit whose camera takes <delay µs> per request; <trace> 0 drops the trace,
# whose flushed line per request would otherwise count as the library's CPU time.
fresh_kit() {
  local folder=$1 delay=$2 trace=$3
  mkdir "$folder"
  cp -r "$kit/." "$folder/"
  sed -i -e "s/^RequestDelayUs=.*/RequestDelayUs=$delay/" -e 's/^TimeScale=.*/TimeScale=1/' \
    "$folder/simcam.ini"
  if [[ $trace == 0 ]]; then sed -i '/^Trace=/d' "$folder/simcam.ini"; fi
}

# Sets wall, user, sys and maxrss from the usage line run_usage wrote into <file>.
read_usage() {
  local label
  read -r label wall label user label sys label maxrss < <(grep '^wall ' "$1" | tail -n 1)
}

# Runs `./ostrel -s` in <folder> and reads its usage. A run that does not end with code 0 and
# a camera that a second run finds up to date is no measurement.
measure_update() {
  local folder=$1 code=0
  (cd "$folder" && "$run_usage" ./ostrel -s >/dev/null 2>"$folder/usage") || code=$?
  # The update's own requests only: the checking run appends to the trace too.
  if [[ -f $folder/trace.log ]]; then mv "$folder/trace.log" "$folder/update-trace.log"; fi
  if [[ $code == 0 ]]; then
    (cd "$folder" && ./ostrel -s >/dev/null 2>&1) || code=$?
  fi
  if [[ $code != 0 ]] || ! iconv -f UTF-16 -t UTF-8 "$folder/bin/Ostrel_sp.log" | tail -n 1 |
      grep -q 'FW version is the same'; then
    echo "measure-performance: the update in $folder did not succeed (code $code)" >&2
    exit 1
  fi
  read_usage "$folder/usage"
}

echo "Full update with 1 ms per request..."
fresh_kit "$scratch/slow" 1000 1
measure_update "$scratch/slow"
slow_wall=$wall slow_maxrss=$maxrss
requests=$(grep -cE '^(LEN|GET|SET|EVT) ' "$scratch/slow/update-trace.log")

echo "Sleep-only baseline: $requests sleeps of 1 ms..."
"$run_usage" "$sleep_baseline" "$requests" 1000 2>"$scratch/baseline-usage"
read_usage "$scratch/baseline-usage"
baseline_wall=$wall

echo "Full update with no delay per request..."
fresh_kit "$scratch/fast" 0 0
measure_update "$scratch/fast"
fast_cpu=$(echo "$user + $sys" | bc -l)

echo
printf '%-46s %s\n' "camera requests of the update" "$requests"
printf '%-46s %.3f s\n' "update wall time, 1 ms per request" "$slow_wall"
printf '%-46s %.3f s\n' "sleep-only baseline, $requests x 1 ms" "$baseline_wall"
printf '%-46s %.3f\n' "ratio update / baseline" "$(echo "$slow_wall / $baseline_wall" | bc -l)"
printf '%-46s %.4f s (user %.4f, sys %.4f)\n' "update CPU, no delay" "$fast_cpu" "$user" "$sys"
printf '%-46s %.2f us\n' "CPU per request, no delay" \
  "$(echo "$fast_cpu * 1000000 / $requests" | bc -l)"
printf '%-46s %s KiB\n' "peak memory (max RSS), 1 ms per request" "$slow_maxrss"
printf '%-46s %s KiB\n' "peak memory (max RSS), no delay" "$maxrss"
