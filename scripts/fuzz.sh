#!/usr/bin/env bash
# Runs the fuzz targets built in <bin-dir> (by default build-test/fuzz/bin) for <seconds> each
# (default 20), several at a time, each on its own corpus: the seeds listed in <target>.seeds plus
# what earlier runs in this build folder found. Fails when any target reports a crash, a sanitizer
# finding, a leak, an input that runs past the time-out or memory past the budget. Findings land in
# <bin-dir>/../fuzz-findings/<target>/.
#   scripts/fuzz.sh [bin-dir] [seconds] [target...]
# Environment: FUZZ_JOBS (targets at a time, default: the number of cores), FUZZ_RSS_MB (memory
# budget per target, default 512), FUZZ_TIMEOUT (seconds per input, default 10).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build-test/fuzz/bin}" && pwd)
seconds=${2:-20}
shift $(( $# > 2 ? 2 : $# ))
jobs=${FUZZ_JOBS:-$(nproc)}
rss=${FUZZ_RSS_MB:-512}
per_input=${FUZZ_TIMEOUT:-10}
work=$(dirname "$bin")

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in "$bin"/fuzz_*.seeds; do targets+=("$(basename "$seeds" .seeds)"); done
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz.sh: no fuzz targets in $bin" >&2
  exit 1
fi

# The fuzzers' own options, not those of the test run.
# A small quarantine: a fresh page for every allocation costs more than the run can spare.
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0:quarantine_size_mb=16
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run_one() {
  local t=$1
  local corpus="$work/fuzz-corpus/$t" findings="$work/fuzz-findings/$t/" log="$work/fuzz-logs/$t.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  while IFS= read -r seed; do
    [ -n "$seed" ] && [ -f "$seed" ] && cp -n "$seed" "$corpus/seed-$(basename "$seed")"
  done < "$bin/$t.seeds"
  local status=0
  timeout --kill-after=30 $((seconds + 120)) \
    "$bin/$t" -max_total_time="$seconds" -rss_limit_mb="$rss" -timeout="$per_input" \
      -dict="$bin/$t.dict" -artifact_prefix="$findings" -print_final_stats=1 "$corpus" \
      >"$log" 2>&1 || status=$?
  echo "$status" > "$log.status"
}

running=0
for t in "${targets[@]}"; do
  [ -x "$bin/$t" ] || { echo "fuzz.sh: no target $bin/$t" >&2; exit 1; }
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

failed=0
for t in "${targets[@]}"; do
  log="$work/fuzz-logs/$t.log"
  status=$(cat "$log.status" 2>/dev/null || echo 1)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$status" -eq 0 ]; then
    echo "fuzz $t: clean, ${execs:-?} executions in ${seconds} s"
  else
    failed=1
    echo "fuzz $t: FAILED (status $status), reproducer in $work/fuzz-findings/$t/; log tail:"
    tail -40 "$log"
  fi
done
exit "$failed"
