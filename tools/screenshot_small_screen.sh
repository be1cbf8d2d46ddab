#!/usr/bin/env bash
# Captures the setup wizard's last page, with Install, on a 1366 x 768 laptop screen at 150 %
# (the prefix's system DPI set to 144), where the wizard opens at the largest scale that fits:
# the whole screen, from the real BoreluSetup.exe under Wine on a headless Xvfb display, into
# docs/screenshots/wizard-1366x768-150.png.
#   bash tools/screenshot_small_screen.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# A display of its own in a network namespace of its own, as the tests have.
if [ -z "${BORELU_SCREENSHOTS_PRIVATE:-}" ] && unshare -n true 2>/dev/null; then
  export BORELU_SCREENSHOTS_PRIVATE=1
  exec unshare -n bash -c 'ip link set lo up && exec bash "$0"' "$0"
fi

build=$root/build/windows-test
out=$root/docs/screenshots
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target BoreluSetup capture_wizard
session=$build/screenshots-small-screen
trap '"$root/tests/wine/session.sh" stop "$session" >/dev/null' EXIT
BORELU_SESSION_SCREEN=1366x768x24 "$root/tests/wine/session.sh" start "$session"
export BORELU_WINE_DIR=$session
windows_path() { echo "Z:${1//\//\\}"; }

"$root/tests/wine/run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
mkdir -p "$session/frames" "$out"
"$root/tests/wine/run.sh" "$build/tests/capture_wizard.exe" "$(windows_path "$build/BoreluSetup.exe")" \
  "$(windows_path "$session/frames/small")" en 4 screen
python3 "$root/tools/controls_sheet/bmp_to_png.py" "$session/frames/small-page4.bmp" \
  "$out/wizard-1366x768-150.png"
ls -1 "$out/wizard-1366x768-150.png"
