#!/usr/bin/env bash
# Builds BoreluSetup.exe (test build) and runs it under Wine in a prefix of its own: the
# command-line refusal and worker command lines as the setup client writes them; then a verified
# download of a signed test release from the fixture update host into a staging folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

cmake --preset windows-test >/dev/null
cmake --build --preset windows-test --target BoreluSetup borelu-release trust_test_ca borelu_download_benchmark \
  borelu_double_application borelu_double_service_installer borelu_double_updater

export BORELU_WINE_DIR="$PWD/build/windows-test/demo-wine"
tests/wine/session.sh start "$BORELU_WINE_DIR"
trap 'tests/fixture_host/session.sh stop >/dev/null; tests/wine/session.sh stop "$BORELU_WINE_DIR" >/dev/null' EXIT
exe=build/windows-test/BoreluSetup.exe

run() {
  echo
  echo "\$ BoreluSetup.exe $*"
  set +e
  tests/wine/run.sh "$exe" "$@"
  local code=$?
  set -e
  echo "exit code: $code"
}

echo
echo "Any other command line (e.g. --uninstall) is refused with exit code 1 and explained in the failure"
echo "dialog, whose choice of explanation borelu-release shows without opening a window:"
tests/wine/run.sh build/windows-test/tools/borelu-release.exe explain \
  "BoreluSetup accepts no custom download URL or program command."
run --worker --stage 'C:\Users\demo\AppData\Local\BoreluTauri/updates\BoreluUpdate-0123456789abcdef0123456789abcdef' \
    --owner-sid S-1-5-21-0-0-0-1000 --parent-pid 0 --setup --options en:001:2026-10-19
run --worker --stage 'C:\stage' --owner-sid S-1-5-21-0-0-0-1000 --parent-pid -1 --setup

echo
echo "Verified download of a signed test release from the fixture update host (https://localhost):"
build=build/windows-test
tests/fixture_host/session.sh start "$build/tests/trust_test_ca.exe" "tests/wine/run.sh $build/tools/borelu-release.exe" \
  "$build/tests/borelu_double_application.exe" "$build/tests/borelu_double_service_installer.exe" \
  "$build/tests/borelu_double_updater.exe"
tests/wine/run.sh "$build/tests/borelu_download_benchmark.exe"
echo "requests seen by the update host:"
sed 's/^/  /' "$BORELU_WINE_DIR/host/requests.log" | cut -c1-160
