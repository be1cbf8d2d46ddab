#!/usr/bin/env bash
# Measures one running-instance walk under Wine with 200 unrelated processes running (and, for
# comparison, with none and with 200 processes named "Borelu.exe" from another folder).
# Run after a windows-test build: bash tools/benchmark_running_instance.sh [COUNT] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows-test
export BORELU_WINE_DIR="$PWD/$build/bench-instance-wine"
tests/wine/session.sh start "$BORELU_WINE_DIR" >/dev/null
trap 'tests/wine/session.sh stop "$BORELU_WINE_DIR" >/dev/null' EXIT

double="Z:$(realpath "$build/tests/borelu_double_application.exe" | tr / '\\')"
tests/wine/run.sh "$build/tests/borelu_running_instance_benchmark.exe" "$double" "${1:-200}" "${2:-20}"
