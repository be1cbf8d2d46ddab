#!/usr/bin/env bash
# Downloading and staging a release of three 24 MiB files from the fixture update host under Wine,
# beside the same work done by other programs in the same run, in turn, RUNS times (medians):
#   setup          the download module (metadata fetched and verified, every file streamed to
#                  disk, flushed, read back and checked), as a stripped program like the release
#   unstripped     the same program as built, with its debug information, as the release
#                  executable shipped before it was stripped
#   before         the same from another build (BORELU_BASELINE=its build folder), if given
#   curl+sync+sha  curl fetching the same four bodies, `sync` on each file, sha256sum over each
#   curl+sync+ossl the same with `openssl dgst -sha256`, the fastest hash on the command line
#   floor          Wine's WinHTTP alone: the same requests, bodies read into a reused buffer
#   floor+flush+hash  the same, each body also written, flushed and read back through SHA-256
#   empty          the smallest Windows program, for the peak working set Wine itself costs
#   winhttp-session  a program that only opens and closes a WinHTTP session (memory only)
# Times are measured inside each Wine program (process start-up left out) and around the command
# line tools; peak working sets are what the programs report (GetProcessMemoryInfo).
# Run after a windows-test build: bash tests/benchmarks/benchmark_download.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
source tests/benchmarks/benchmark_release.sh bench-wine

# Stripped copies: the release ships stripped, and Wine maps a program's debug sections too,
# which would count in the working set.
bin=$BORELU_WINE_DIR/stripped
mkdir -p "$bin"
strip_copy() { x86_64-w64-mingw32-strip -o "$bin/$2" "$1"; }
strip_copy "$build/tests/borelu_download_benchmark.exe" setup.exe
strip_copy "$build/tests/borelu_winhttp_floor.exe" floor.exe
strip_copy "$build/tests/borelu_empty_program.exe" empty.exe
if [ -n "${BORELU_BASELINE:-}" ]; then
  strip_copy "$BORELU_BASELINE/tests/borelu_download_benchmark.exe" before.exe
fi

files=(Borelu.exe BoreluService.exe BoreluUpdater.exe)
paths=(/updates/latest.json)
for f in "${files[@]}"; do paths+=("/releases/1.4.2/$f"); done
floor_dir=$BORELU_WINE_DIR/prefix/drive_c/floor
mkdir -p "$floor_dir"
out=$BORELU_WINE_DIR/curl-out
results=$BORELU_WINE_DIR/results
: >"$results"

# "SECONDS MIB" from a program's "...: N bytes in SECONDS s, peak working set MIB MiB" line
# (SECONDS 0 for a program that only reports its working set).
record() {
  local line
  line=$(tests/wine/run.sh "$@" | tail -1)
  sed -nE -e "s/.* in ([0-9.]+) s, peak working set ([0-9.]+) MiB/\1 \2/p" \
    -e "s/^[a-z]+: peak working set ([0-9.]+) MiB/0 \1/p" <<<"$line" | grep . ||
    { echo "unexpected output: $line" >&2; exit 1; }
}
peer() {
  local hash=$1 start end
  rm -rf "$out" && mkdir -p "$out"
  start=$(date +%s.%N)
  curl -sS --fail --cacert "$BORELU_WINE_DIR/host/certs/ca.pem" -o "$out/latest.json" \
    "https://localhost${paths[0]}" -o "$out/${files[0]}" "https://localhost${paths[1]}" \
    -o "$out/${files[1]}" "https://localhost${paths[2]}" -o "$out/${files[2]}" "https://localhost${paths[3]}"
  for f in latest.json "${files[@]}"; do
    sync "$out/$f"
    $hash "$out/$f" >/dev/null
  done
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

for run in $(seq "$runs"); do
  echo "setup $(record "$bin/setup.exe")" >>"$results"
  echo "unstripped $(record "$build/tests/borelu_download_benchmark.exe")" >>"$results"
  if [ -f "$bin/before.exe" ]; then echo "before $(record "$bin/before.exe")" >>"$results"; fi
  echo "curl+sync+sha $(peer sha256sum) -" >>"$results"
  echo "curl+sync+ossl $(peer 'openssl dgst -sha256') -" >>"$results"
  echo "floor $(record "$bin/floor.exe" localhost "${paths[@]}")" >>"$results"
  echo "floor+flush+hash $(record "$bin/floor.exe" --to 'C:\floor' localhost "${paths[@]}")" >>"$results"
  echo "empty $(record "$bin/empty.exe")" >>"$results"
  echo "winhttp-session $(record "$bin/floor.exe" --session-only)" >>"$results"
  echo "run $run of $runs done" >&2
done
rm -rf "$out"

echo "Download of a release of 3 x 24 MiB under Wine, $runs runs, medians:"
python3 - "$results" <<'EOF'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    name, seconds, mib = line.split()
    rows.setdefault(name, []).append((float(seconds), None if mib == "-" else float(mib)))
med = {n: (statistics.median(s for s, _ in v),
           statistics.median(m for _, m in v) if v[0][1] is not None else None) for n, v in rows.items()}
for name, (seconds, mib) in med.items():
    time = f"{seconds:7.3f} s" if seconds else "         "
    memory = f"  peak working set {mib:5.1f} MiB" if mib is not None else ""
    print(f"  {name:17} {time}{memory}")
s = med["setup"][0]
print(f"  setup / curl+sync+sha     {s / med['curl+sync+sha'][0]:.2f}x")
print(f"  setup / curl+sync+ossl    {s / med['curl+sync+ossl'][0]:.2f}x")
print(f"  setup / floor             {s / med['floor'][0]:.2f}x")
print(f"  setup / floor+flush+hash  {s / med['floor+flush+hash'][0]:.2f}x")
print(f"  setup peak above empty    {med['setup'][1] - med['empty'][1]:.1f} MiB")
if "before" in med:
    print(f"  before / curl+sync+sha    {med['before'][0] / med['curl+sync+sha'][0]:.2f}x,"
          f" peak above empty {med['before'][1] - med['empty'][1]:.1f} MiB")
EOF
