#!/usr/bin/env bash
# A long fuzzing campaign, run by hand: each libFuzzer target for SECONDS (default 3600) or until
# RUNS executions (default unlimited), one after another, keeping what each finds in
# build/fuzz/campaign/TARGET. Prints each target's executions, time and any crash file.
#   bash tools/fuzz_campaign.sh [SECONDS] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-3600}
runs=${2:--1}
bash tools/setup.sh >/dev/null
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null
for target in build/fuzz/tests/fuzz/*_fuzz; do
  name=$(basename "$target" _fuzz)
  corpus=build/fuzz/campaign/$name
  mkdir -p "$corpus"
  log=build/fuzz/campaign/$name.log
  start=$(date +%s)
  (cd build/fuzz/campaign && ASAN_OPTIONS=detect_leaks=1 "../../../$target" \
      -max_total_time="$seconds" -runs="$runs" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 "$name" "../../../tests/fuzz/corpus/$name") >"$log" 2>&1 || true
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  crashes=$(grep -c '^artifact_prefix\|Test unit written' "$log" || true)
  echo "$name: ${executed:-?} executions in $(($(date +%s) - start)) s, crash reports: $crashes (log $log)"
done
