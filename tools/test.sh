#!/usr/bin/env bash
# Runs every test: the formatting check, native unit tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the fuzz targets for a bounded time, and the Windows build with its
# Wine tests.
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
