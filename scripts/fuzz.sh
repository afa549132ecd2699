#!/usr/bin/env bash
# Builds the fuzz targets (preset fuzz: clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each in turn from its seed corpus, then prints what each
# run did. Usage:
#   scripts/fuzz.sh --seconds N [--jobs J] [target ...]   N seconds a target (CI's bounded run)
#   scripts/fuzz.sh --long [--jobs J] [target ...]        until 10,000,000 executions or an hour a target
# --jobs J runs J targets at once (default 1).
# Targets are the names of fuzz/<name>_fuzzer.cpp; all of them by default. The corpus a run
# grows stays in build/fuzz/corpus/<name> (the committed seeds are not changed); an input that
# breaks a target lands in build/fuzz/artifacts/<name>/ and the script ends with 1. Commit such
# an input to fuzz/regressions/<name>/ with the fix, so that ctest replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  sed -n '5,7s/^# *//p' "$0" >&2
  exit 2
}

limits=()
case "${1:-}" in
  --seconds)
    [[ "${2:-}" =~ ^[0-9]+$ ]] || usage
    limits=(-max_total_time="$2")
    shift 2
    ;;
  --long)
    limits=(-runs=10000000 -max_total_time=3600)
    shift
    ;;
  *) usage ;;
esac

jobs=1
if [ "${1:-}" = --jobs ]; then
  [[ "${2:-}" =~ ^[1-9][0-9]*$ ]] || usage
  jobs=$2
  shift 2
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzzer.cpp; do
    name=${source#fuzz/}
    targets+=("${name%_fuzzer.cpp}")
  done
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]/%/_fuzzer}" -- -j"$(nproc)" >/dev/null

build=$PWD/build/fuzz

# run_target <name>: one target's run; its table row goes to build/fuzz/logs/<name>.row.
run_target() {
  local name=$1
  local corpus=$build/corpus/$name artifacts=$build/artifacts/$name log=$build/logs/$name.log
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  # The decoders' own diagnostics (stderr) are closed; libFuzzer and the sanitizers still
  # report. A single input that runs 10 s is a hang.
  local status=0
  "$build/fuzz/${name}_fuzzer" "${limits[@]}" -timeout=10 -close_fd_mask=2 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  local executions per_second last cov ft corp outcome=ok
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  per_second=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\/[0-9A-Za-z]*\).*/\1/p' <<<"$last")
  [ "$status" -eq 0 ] || outcome="FAILED (see $log)"
  printf '%-16s %12s %7s %7s %12s %9s  %s\n' "$name" "${executions:-?}" "${cov:-?}" \
    "${ft:-?}" "${corp:-?}" "${per_second:-?}" "$outcome" | tee "$build/logs/$name.row"
}

mkdir -p "$build/logs"
for name in "${targets[@]}"; do
  rm -f "$build/logs/$name.row"
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_target "$name" &
done
wait

printf '\n%-16s %12s %7s %7s %12s %9s  %s\n' target executions cov ft corpus exec/s result
failed=0
for name in "${targets[@]}"; do
  if [ -f "$build/logs/$name.row" ]; then
    cat "$build/logs/$name.row"
    grep -q 'ok$' "$build/logs/$name.row" || failed=1
  else
    echo "$name: no result"
    failed=1
  fi
done
exit "$failed"
