#!/usr/bin/env bash
# The worker under Wine with a release of three 24 MiB files (the test doubles, padded) staged in
# the prefix, in one run, medians over RUNS repairs:
#   - its steps one by one (tests/benchmarks/apply_steps_benchmark.cpp: the worker's library
#     functions in the worker's order), first for a first installation (WebView2 provided by the
#     test bootstrapper, no rollback copy), then for each repair (rollback copy of 72 MiB), each
#     file step between two raw passes over the same bytes in the same process, the quicker of
#     which counts (read + SHA-256 + write + flush, read + write + flush, read +
#     SHA-256);
#   - the whole worker, BoreluSetup.exe --worker --setup, timed around the Wine process, as a
#     stripped copy like the release, and the same from another build (BORELU_BASELINE=its build
#     folder) when given.
# Run after a windows-test build: bash tests/benchmarks/benchmark_install.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
source tests/benchmarks/benchmark_release.sh bench-install-wine

stage=$BORELU_WINE_DIR/prefix/drive_c/bench-stage
mkdir -p "$stage" "$BORELU_WINE_DIR/prefix/drive_c/bench-scratch"
cp "$BORELU_WINE_DIR"/host/root/releases/1.4.2/*.exe "$stage/"
cp "$BORELU_WINE_DIR/host/root/updates/latest.json" "$stage/release.json"

bin=$BORELU_WINE_DIR/stripped
mkdir -p "$bin"
x86_64-w64-mingw32-strip -o "$bin/BoreluSetup.exe" "$build/BoreluSetup.exe"
if [ -n "${BORELU_BASELINE:-}" ]; then
  mkdir -p "$bin/before"
  x86_64-w64-mingw32-strip -o "$bin/before/BoreluSetup.exe" "$BORELU_BASELINE/BoreluSetup.exe"
fi
results=$BORELU_WINE_DIR/results
: >"$results"

# Each process starts with nothing waiting to be written back, so that no step pays for an
# earlier one's writes when it flushes.
steps() {
  sync
  tests/wine/run.sh "$build/tests/borelu_apply_steps_benchmark.exe" 'C:\bench-stage' \
    'C:\bench-scratch' S-1-5-21-0-0-0-1000 | sed "s/^/$1 /" >>"$results"
}
worker() {
  local start end
  sync
  start=$(date +%s.%N)
  tests/wine/run.sh "$1" --worker --stage 'C:\bench-stage' --owner-sid S-1-5-21-0-0-0-1000 \
    --parent-pid 0 --setup --options en:101:2026-10-19
  end=$(date +%s.%N)
  echo "$2 worker total $(echo "$end - $start" | bc)" >>"$results"
}

steps first
for run in $(seq "$runs"); do
  steps repair
  worker "$bin/BoreluSetup.exe" whole
  if [ -f "$bin/before/BoreluSetup.exe" ]; then worker "$bin/before/BoreluSetup.exe" before; fi
  echo "run $run of $runs done" >&2
done

python3 - "$results" "$runs" <<'EOF'
import statistics, sys
rows = {}
order = []
for line in open(sys.argv[1]):
    kind, what, rest = line.split(" ", 2)
    name, seconds = rest.rsplit(" ", 1)
    key = (kind, what, name.strip())
    if key not in rows:
        order.append(key)
    rows.setdefault(key, []).append(float(seconds))
med = {k: statistics.median(v) for k, v in rows.items()}
for kind, title in (("first", "First installation (one run)"),
                    ("repair", f"Repair, median of {sys.argv[2]}")):
    print(f"{title}: the worker's steps")
    total = 0.0
    for key in order:
        if key[0] == kind and key[1] == "step":
            total += med[key]
            print(f"  {key[2]:48} {med[key]:7.3f} s")
    print(f"  {'sum of the steps':48} {total:7.3f} s")
    raws = [k for k in order if k[0] == kind and k[1] == "raw"]
    for key in raws:
        print(f"  raw {key[2]:44} {med[key]:7.3f} s")
    pairs = (("stage copy and re-verification", "read + SHA-256 + write (stage copy)"),
             ("rollback copy", "read + write (rollback copy)"),
             ("installed-file check", "read + SHA-256 (installed-file check)"))
    for step, raw in pairs:
        s, r = med.get((kind, "step", step)), med.get((kind, "raw", raw))
        if s is not None and r:
            print(f"  {step + ' / raw pass':48} {s / r:7.2f}x")
print("Whole worker (repair, process start to end), median:")
for what in ("whole", "before"):
    key = (what, "worker", "total")
    if key in rows:
        print(f"  {'this build' if what == 'whole' else 'BORELU_BASELINE':48} {med[key]:7.3f} s")
EOF
