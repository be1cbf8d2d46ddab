#!/usr/bin/env bash
# Time from process start to the first painted setup wizard under Wine, beside the same figure for
# the smallest Win32 program that opens one window, measured in turn in one run. The test build
# carries about 19 MiB of debug information that a release build lacks, so the wizard is timed both
# as built and as a stripped copy. Run by hand; nothing is asserted.
#   bash tests/benchmarks/benchmark_wizard_startup.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-15}

# A display of its own in a network namespace of its own, as the tests have.
source "$root/tests/wine/script_session.sh"
borelu_private_network "$runs"

build=$root/build/windows-test
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target borelu_wizard_startup_benchmark
session=$build/startup-benchmark-wine
borelu_wine_session "$session"
stripped=$session/BoreluSetup-stripped.exe
x86_64-w64-mingw32-strip -o "$stripped" "$build/BoreluSetup.exe"
ls -l "$build/BoreluSetup.exe" "$stripped" "$build/tests/borelu_empty_window.exe" | awk '{print $5, $9}'
BORELU_WINE_DIR=$session "$root/tests/wine/run.sh" \
  "$build/tests/borelu_wizard_startup_benchmark.exe" "$runs" \
  "$(windows_path "$build/tests/borelu_empty_window.exe")" \
  "$(windows_path "$build/BoreluSetup.exe")" "$(windows_path "$stripped")"
