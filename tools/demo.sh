#!/usr/bin/env bash
# A local demonstration of an installation under Wine, in a prefix of its own:
#   1. the fixture update host serves a release signed with the test key (https://localhost);
#   2. the client's download half fetches, verifies and stages it;
#   3. BoreluSetup.exe runs as the elevated worker on that stage, as the setup client starts it;
#   4. what it installed: the files, the records, the registry entries, the blocking service and
#      the WebView2 runtime.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

build=build/windows-test
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test --target BoreluSetup borelu-release trust_test_ca borelu_stage_release \
  borelu_double_application borelu_double_service_installer borelu_double_updater

export BORELU_WINE_DIR="$PWD/$build/demo-wine"
tests/wine/session.sh start "$BORELU_WINE_DIR"
trap 'tests/fixture_host/session.sh stop >/dev/null; tests/wine/session.sh stop "$BORELU_WINE_DIR" >/dev/null' EXIT
wine() { tests/wine/run.sh "$@"; }

echo
echo "1. Update host with a signed test release:"
tests/fixture_host/session.sh start "$build/tools/trust_test_ca.exe" "tests/wine/run.sh $build/tools/borelu-release.exe" \
  "$build/tools/borelu_double_application.exe" "$build/tools/borelu_double_service_installer.exe" \
  "$build/tools/borelu_double_updater.exe"

echo
echo "2. Verified download into a staging folder:"
stage=$(wine "$build/tools/borelu_stage_release.exe" | tr -d '\r')
echo "  stage: $stage"

echo
echo "3. The worker (English, start with Windows, Start menu shortcut, current terms):"
set +e
wine "$build/BoreluSetup.exe" --worker --stage "$stage" --owner-sid S-1-5-21-0-0-0-1000 --parent-pid 0 \
  --setup --options en:101:2026-10-19
code=$?
set -e
echo "  exit code: $code"

echo
echo "4. What is installed:"
program_files="$BORELU_WINE_DIR/prefix/drive_c/Program Files"
(cd "$program_files/Borelu" && sha256sum -- * | sed 's/^/  /')
echo "  setup-options.json: $(cat "$program_files/Borelu/setup-options.json")"
echo "  maintenance folder: $(cd "$program_files/BoreluMaintenance" && echo work-*/*)"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Borelu' 2>/dev/null | tr -d '\r' | sed 's/^/  /'
wine reg query 'HKU\S-1-5-21-0-0-0-1000\Software\Microsoft\Windows\CurrentVersion\Run' /v Borelu 2>/dev/null |
  tr -d '\r' | sed 's/^/  /'
echo "  blocking service:"
wine sc query BoreluBlocking 2>/dev/null | tr -d '\r' | grep -E 'SERVICE_NAME|STATE' | sed 's/^ */    /'
echo "  WebView2 runtime (provided by the embedded, signed test bootstrapper):"
wine reg query 'HKLM\Software\Microsoft\EdgeUpdate\Clients\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}' /v pv /reg:32 \
  2>/dev/null | tr -d '\r' | grep pv | sed 's/^ */    /'

echo
echo "Any other command line (e.g. --uninstall) is refused with exit code 1 and explained in the failure"
echo "dialog; borelu-release shows which explanation without opening a window:"
wine "$build/tools/borelu-release.exe" explain "BoreluSetup accepts no custom download URL or program command."
exit "$code"
