#!/usr/bin/env bash
# The timeline of a whole installation through the wizard under Wine, as the program itself sees
# it: a test build writes a mark at the start and end of each phase into the file named by
# BORELU_TIMELINE (Setup, its worker and the driver that clicks Install alike), and
# tests/benchmarks/timeline_report.py prints the phases in order with their medians over RUNS runs (the first
# a first installation, the rest repairs), beside the floors measured in the same runs, in turn:
#   download     Wine's WinHTTP fetching the metadata and the three 24 MiB files, each written,
#                flushed and read back through SHA-256 (tests/benchmarks/winhttp_floor.cpp)
#   raw passes   the worker's file steps done by plain reads, hashes and writes over the same bytes
#                (tests/benchmarks/apply_steps_benchmark.cpp, a repair), and the release's own
#                service installer (a test double here) run alone by the same benchmark
#   process      the smallest program created and waited for
#   elevated     the same through ShellExecuteExW's "runas" verb, as Setup starts its worker
#   task-dialog  one task dialog, from the call until it is created
#   window-closed  one top-level window with a caption destroyed (with Wine's default of windows
#                managed by a window manager, which Xvfb lacks, about 2 s; the test session
#                turns that off, see tests/wine/session.sh)
# Run by hand after a windows-test build, on a quiet machine:
#   bash tests/benchmarks/benchmark_timeline.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
source tests/wine/script_session.sh
borelu_private_network "$@"
cmake --build --preset windows-test -j2 --target BoreluSetup borelu_drive_setup borelu-release \
  trust_test_ca borelu_double_application borelu_double_service_installer borelu_double_updater \
  borelu_winhttp_floor borelu_apply_steps_benchmark borelu_empty_program borelu_phase_floors >/dev/null
source tests/benchmarks/benchmark_release.sh bench-timeline-wine

drive_c=$BORELU_WINE_DIR/prefix/drive_c
out=$BORELU_WINE_DIR/timeline
rm -rf "$out" && mkdir -p "$out" "$drive_c/floor" "$drive_c/bench-stage" "$drive_c/bench-scratch"
cp "$BORELU_WINE_DIR"/host/root/releases/1.4.2/*.exe "$drive_c/bench-stage/"
cp "$BORELU_WINE_DIR/host/root/updates/latest.json" "$drive_c/bench-stage/release.json"
paths=(/updates/latest.json)
for f in Borelu.exe BoreluService.exe BoreluUpdater.exe; do paths+=("/releases/1.4.2/$f"); done
floors=$out/floors
: >"$floors"
floor() { tests/wine/run.sh "$build/tests/borelu_phase_floors.exe" "$@" | tr -d '\r' >>"$floors"; }

for run in $(seq "$runs"); do
  # Each measurement starts with nothing waiting to be written back.
  sync
  rm -f "$drive_c/timeline.log"
  BORELU_TIMELINE='C:\timeline.log' tests/wine/run.sh "$build/tools/borelu_drive_setup.exe" \
    "$(windows_path "$build/BoreluSetup.exe")" --timings | tr -d '\r' |
    grep -E '^(timings|progress window during|exit code)' | sed "s/^/  $run: /"
  cp "$drive_c/timeline.log" "$out/run-$run.log"
  rm -f "$drive_c/users/$(id -un)/Temp/borelu-application-launches.log"
  sync
  tests/wine/run.sh "$build/tests/borelu_winhttp_floor.exe" --to 'C:\floor' localhost "${paths[@]}" |
    tr -d '\r' | sed -nE 's/.* in ([0-9.]+) s,.*/floor download \1/p' >>"$floors"
  sync
  tests/wine/run.sh "$build/tests/borelu_apply_steps_benchmark.exe" 'C:\bench-stage' \
    'C:\bench-scratch' S-1-5-21-0-0-0-1000 | tr -d '\r' | grep -E '^(raw |step service installer )' >>"$floors"
  floor process "$(windows_path "$build/tests/borelu_empty_program.exe")"
  floor elevated "$(windows_path "$build/tests/borelu_empty_program.exe")"
  floor task-dialog
  floor window-closed
done
python3 tests/benchmarks/timeline_report.py "$floors" "$out"/run-*.log
