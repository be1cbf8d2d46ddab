#!/usr/bin/env bash
# Time from process start to the first painted setup wizard under Wine, beside the same figure for
# the smallest Win32 program that opens one window, measured in turn in one run. The test build
# carries about 19 MiB of debug information that a release build lacks, so the wizard is timed both
# as built and as a stripped copy. Run by hand; nothing is asserted.
#   bash tools/benchmark_wizard_startup.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}

# A display of its own in a network namespace of its own, as the tests have.
if [ -z "${BORELU_BENCHMARK_PRIVATE:-}" ] && unshare -n true 2>/dev/null; then
  export BORELU_BENCHMARK_PRIVATE=1
  exec unshare -n bash -c 'ip link set lo up && exec bash "$0" "$1"' "$0" "$runs"
fi

build=$root/build/windows-test
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target borelu_wizard_startup_benchmark
session=$build/startup-benchmark-wine
trap '"$root/tests/wine/session.sh" stop "$session" >/dev/null' EXIT
"$root/tests/wine/session.sh" start "$session"
windows_path() { echo "Z:${1//\//\\}"; }
stripped=$session/BoreluSetup-stripped.exe
x86_64-w64-mingw32-strip -o "$stripped" "$build/BoreluSetup.exe"
ls -l "$build/BoreluSetup.exe" "$stripped" "$build/tests/borelu_empty_window.exe" | awk '{print $5, $9}'
BORELU_WINE_DIR=$session "$root/tests/wine/run.sh" \
  "$build/tests/borelu_wizard_startup_benchmark.exe" "$runs" \
  "$(windows_path "$build/tests/borelu_empty_window.exe")" \
  "$(windows_path "$build/BoreluSetup.exe")" "$(windows_path "$stripped")"
