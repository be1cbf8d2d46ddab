#!/usr/bin/env bash
# The release BoreluSetup.exe: its size without the embedded WebView2 bootstrapper and what each
# part contributes (from the linker's map), then the checks that the shipped file must pass
# (tests/release/check_executable.sh, which CI runs too).
# Run after a release build (see the README): bash tests/benchmarks/benchmark_size.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/windows-release}
exe=$build/BoreluSetup.exe

python3 tests/benchmarks/size_breakdown.py "$build/BoreluSetup.map" "$exe"

bash tests/release/check_executable.sh "$build"
