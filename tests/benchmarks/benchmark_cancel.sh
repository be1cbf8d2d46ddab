#!/usr/bin/env bash
# How long BoreluSetup.exe lives after Cancel while the update host stalls, under Wine, seen from
# outside (tests/benchmarks/cancel_benchmark.cpp): once with the metadata request stalled (the
# host answers only after STALL seconds) and once with a release file's body stalled after its
# first 4 KiB, RUNS times each (medians). With BORELU_BASELINE set to a folder holding another
# build's BoreluSetup.exe (another checkout's build/windows-test), that program is timed in the
# same run, for a before and after. Beside them, the floor this display sets: what destroying any
# shown window costs (with Wine's default of managed windows and no window manager on Xvfb, Wine's
# X11 driver waits 2 s for one before DestroyWindow returns; the test session turns that off). Run by hand after a
# windows-test build:
#   bash tests/benchmarks/benchmark_cancel.sh [RUNS] [STALL]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-3}
stall=${2:-120}
source tests/wine/script_session.sh
borelu_private_network "$@"
build=build/windows-test
cmake --build --preset windows-test -j2 --target BoreluSetup borelu_cancel_benchmark borelu-release \
  trust_test_ca borelu_double_application borelu_double_service_installer borelu_double_updater >/dev/null
borelu_wine_session "$PWD/$build/bench-cancel-wine"
borelu_fixture_host >/dev/null
programs=("this build=$build/BoreluSetup.exe")
if [ -n "${BORELU_BASELINE:-}" ]; then
  programs+=("before=$BORELU_BASELINE/BoreluSetup.exe")
fi
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "Cancel to process exit under Wine, host stalled for $stall s, $runs runs (medians):"
floors=()
for _ in $(seq "$runs"); do
  floors+=("$(tests/wine/run.sh "$build/tests/borelu_cancel_benchmark.exe" --destroy-floor |
    tr -d '\r' | sed -nE 's/^destroy floor: ([0-9.]+) s/\1/p')")
done
printf '  %-27s %8.3f s   (runs: %s)\n' "floor: destroying a window" \
  "$(printf '%s\n' "${floors[@]}" | median)" "${floors[*]}"
for stalled in metadata file; do
  if [ "$stalled" = metadata ]; then
    rules="{\"/updates/latest.json\": {\"delay_seconds\": $stall}}"
  else
    rules="{\"/releases/1.4.2/Borelu.exe\": {\"stall_after\": 4096, \"stall_seconds\": $stall}}"
  fi
  for program in "${programs[@]}"; do
    name=${program%%=*}
    times=()
    for _ in $(seq "$runs"); do
      echo "$rules" >"$BORELU_WINE_DIR/host/root/rules.json"
      line=$(tests/wine/run.sh "$build/tests/borelu_cancel_benchmark.exe" \
        "$(windows_path "${program#*=}")" | tr -d '\r' | grep '^cancel to exit')
      times+=("$(sed -E 's/^cancel to exit: ([0-9.]+) s.*/\1/' <<<"$line")")
    done
    printf '  %-16s %-10s %8.3f s   (runs: %s)\n' "stalled $stalled" "$name" \
      "$(printf '%s\n' "${times[@]}" | median)" "${times[*]}"
  done
done
echo '{}' >"$BORELU_WINE_DIR/host/root/rules.json"
