#!/usr/bin/env bash
# Measures downloading and verifying a release of three 24 MiB files from the fixture update
# host under Wine, beside curl fetching the same files and sha256sum over them.
# Run after a windows-test build: bash tools/benchmark_download.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows-test
export BORELU_WINE_DIR="$PWD/$build/bench-wine"
tests/wine/session.sh start "$BORELU_WINE_DIR" >/dev/null
trap 'tests/fixture_host/session.sh stop >/dev/null; tests/wine/session.sh stop "$BORELU_WINE_DIR" >/dev/null' EXIT

big=$BORELU_WINE_DIR/big
mkdir -p "$big"
for double in application service_installer updater; do
  cp "$build/tests/borelu_double_$double.exe" "$big/$double.exe"
  truncate -s 25165824 "$big/$double.exe"
done
tests/fixture_host/session.sh start "$build/tests/trust_test_ca.exe" "tests/wine/run.sh $build/tools/borelu-release.exe" \
  "$big/application.exe" "$big/service_installer.exe" "$big/updater.exe" >/dev/null

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
