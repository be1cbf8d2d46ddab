#!/usr/bin/env bash
# Times a whole first installation by the worker under Wine: a release of three 24 MiB files
# (the test doubles, padded) staged in the prefix, re-verified into the work folder, WebView2
# provided by the test bootstrapper, the rollback copy, the service installer, the records.
# Run after a windows-test build: bash tools/benchmark_install.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/benchmark_release.sh bench-install-wine

stage=$BORELU_WINE_DIR/prefix/drive_c/bench-stage
mkdir -p "$stage"
cp "$BORELU_WINE_DIR"/host/root/releases/1.4.2/*.exe "$stage/"
cp "$BORELU_WINE_DIR/host/root/updates/latest.json" "$stage/release.json"

run() {
  /usr/bin/time -f "  $1: %e s elapsed, %M KiB max resident (worker process)" \
    tests/wine/run.sh "$build/BoreluSetup.exe" --worker --stage 'C:\bench-stage' \
    --owner-sid S-1-5-21-0-0-0-1000 --parent-pid 0 --setup --options en:101:2026-10-19
}
echo "Worker under Wine, release of 3 x 24 MiB:"
run "first installation (with WebView2)"
run "repair over it (rollback copy of 72 MiB)"
