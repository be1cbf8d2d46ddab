#!/usr/bin/env bash
# Measures one running-instance walk under Wine with 200 unrelated processes running (and, for
# comparison, with none and with 200 processes named "Borelu.exe" from another folder).
# Run after a windows-test build: bash tests/benchmarks/benchmark_running_instance.sh [COUNT] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build/windows-test
export BORELU_WINE_DIR="$PWD/$build/bench-instance-wine"
source tests/wine/script_session.sh
borelu_wine_session "$BORELU_WINE_DIR"

double="Z:$(realpath "$build/tests/borelu_double_application.exe" | tr / '\\')"
tests/wine/run.sh "$build/tests/borelu_running_instance_benchmark.exe" "$double" "${1:-200}" "${2:-20}"
