#!/usr/bin/env bash
# Captures the setup wizard as the screen shows it, from the real BoreluSetup.exe walked page by
# page under Wine on a headless Xvfb display: every page in English and in Arabic at 100%, and the
# first page at 150% (the prefix's system DPI set to 144), and the last page on a 1366 x 768 screen
# at 150%, as PNG files in docs/screenshots/.
# It also saves every stage of a whole installation into docs/screenshots/install/, and of one for
# a user whose folders have non-ASCII paths into docs/screenshots/install-non-ascii/ (tools/demo.sh).
#   bash tools/screenshots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# A display of its own in a network namespace of its own, as the tests have, so that no other
# X server on the machine can be reached by mistake.
source "$root/tests/wine/script_session.sh"
borelu_private_network

build=$root/build/windows-test
out=$root/docs/screenshots
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target BoreluSetup capture_wizard
session=$build/screenshots-wine
borelu_wine_session "$session"
wine_run() { "$root/tests/wine/run.sh" "$@"; }

setup=$(windows_path "$build/BoreluSetup.exe")
frames=$session/frames
mkdir -p "$frames" "$out"
capture() {  # language, pages, name
  wine_run "$build/tools/capture_wizard.exe" "$setup" "$(windows_path "$frames/$3")" "$1" "$2"
}

capture en 4 wizard-en
capture ar 4 wizard-ar
wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
capture en 1 wizard-en-150

for bmp in "$frames"/*.bmp; do
  name=$(basename "$bmp" .bmp)
  python3 "$root/tools/controls_sheet/bmp_to_png.py" "$bmp" "$out/${name/wizard-en-150-page1/wizard-en-page1-150}.png"
done

# The last page on a 1366 x 768 laptop screen at 150 %, where the wizard opens at the largest scale
# that fits: the whole screen, in a session on a display of that size.
"$root/tests/wine/session.sh" stop "$session" >/dev/null
BORELU_SESSION_SCREEN=1366x768x24 "$root/tests/wine/session.sh" start "$session"
wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
wine_run "$build/tools/capture_wizard.exe" "$setup" "$(windows_path "$frames/small")" en 4 screen
python3 "$root/tools/controls_sheet/bmp_to_png.py" "$frames/small-page4.bmp" "$out/wizard-1366x768-150.png"
ls -1 "$out"

# Every stage of a whole installation (wizard pages, the progress window while downloading and
# while installing, the success dialog, the shortcuts as the shell shows them), from the
# demonstration; then the same for a user whose folders have Arabic letters, spaces and an
# apostrophe in their paths.
"$root/tests/wine/session.sh" stop "$session" >/dev/null
bash "$root/tools/demo.sh" --shots "$out/install" >/dev/null
ls -1 "$out/install"
bash "$root/tools/demo.sh" --non-ascii-profile --shots "$out/install-non-ascii" >/dev/null
ls -1 "$out/install-non-ascii"
