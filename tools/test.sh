#!/usr/bin/env bash
# Runs every test: the formatting check, native unit tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the fuzz targets for a bounded time, the Windows build with its
# Wine tests, and the release build with its checks, its signing and its reproduction
# (tools/check_release.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

echo "==> format"
bash tools/check_format.sh

for preset in native native-sanitize fuzz windows-test; do
  echo "==> $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "==> windows-release"
bash tools/check_release.sh build/windows-test
