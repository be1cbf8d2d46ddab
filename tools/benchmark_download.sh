#!/usr/bin/env bash
# Measures downloading and verifying a release of three 24 MiB files from the fixture update
# host under Wine, beside curl fetching the same files and sha256sum over them.
# Run after a windows-test build: bash tools/benchmark_download.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/benchmark_release.sh bench-wine

echo "BoreluSetup download module under Wine:"
/usr/bin/time -f "  process: %e s elapsed, %M KiB max resident (wine process)" \
  tests/wine/run.sh "$build/tests/borelu_download_benchmark.exe"

echo "curl + sha256sum on the host:"
out=$(mktemp -d)
/usr/bin/time -f "  curl: %e s elapsed, %M KiB max resident" \
  curl -sS --cacert "$BORELU_WINE_DIR/host/certs/ca.pem" -o "$out/latest.json" https://localhost/updates/latest.json \
  -o "$out/Borelu.exe" https://localhost/releases/1.4.2/Borelu.exe \
  -o "$out/BoreluService.exe" https://localhost/releases/1.4.2/BoreluService.exe \
  -o "$out/BoreluUpdater.exe" https://localhost/releases/1.4.2/BoreluUpdater.exe
/usr/bin/time -f "  sha256sum: %e s elapsed, %M KiB max resident" sha256sum "$out"/*.exe >/dev/null
rm -rf "$out"
