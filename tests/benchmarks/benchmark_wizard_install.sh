#!/usr/bin/env bash
# Times a whole installation through the wizard under Wine, seen from outside by the
# demonstration's driver: a release of three 24 MiB files (the test doubles, padded) from the
# fixture host, downloaded and verified, installed by the elevated worker, started, with its
# shortcuts and the success dialog. Prints the download, worker and finish times and how quickly
# the progress window answered during the download. Run by hand after a windows-test build:
#   bash tests/benchmarks/benchmark_wizard_install.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-3}
source tests/wine/script_session.sh
borelu_private_network "$@"
cmake --build --preset windows-test -j2 --target BoreluSetup borelu_drive_setup borelu-release \
  trust_test_ca borelu_double_application borelu_double_service_installer borelu_double_updater >/dev/null
source tests/benchmarks/benchmark_release.sh bench-wizard-wine
echo "Wizard-mode installation under Wine, release of 3 x 24 MiB, $runs runs (first installation, then repairs):"
for run in $(seq "$runs"); do
  tests/wine/run.sh "$build/tools/borelu_drive_setup.exe" "$(windows_path "$build/BoreluSetup.exe")" \
    --timings | tr -d '\r' | grep -E '^(timings|progress window during|exit code)' | sed "s/^/  $run: /"
  rm -f "$BORELU_WINE_DIR/prefix/drive_c/users/$(id -un)/Temp/borelu-application-launches.log"
done
