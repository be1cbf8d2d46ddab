#!/usr/bin/env bash
# Renders every control state in both directions from the real drawing code, under Wine in a
# session of its own (with the test prefix's fonts): the dark look into docs/controls-sheet.png,
# and Windows' "High Contrast Black" and "High Contrast White" schemes into
# docs/controls-sheet-high-contrast-black.png and docs/controls-sheet-high-contrast-white.png
# (Wine cannot turn high contrast on, so the program is given the scheme's colours).
#   bash tools/render_controls_sheet.sh [SCALE]
#   bash tools/render_controls_sheet.sh SCALE OUT.png [dark|high-contrast-black|high-contrast-white]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scale=${1:-1.0}
build=$root/build/windows-test
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target render_controls_sheet
session=$build/sheet-wine
source "$root/tests/wine/script_session.sh"
borelu_wine_session "$session"

render() {  # palette, out
  BORELU_WINE_DIR=$session "$root/tests/wine/run.sh" "$build/tools/render_controls_sheet.exe" \
    'C:\controls-sheet.bmp' "$scale" "$1"
  mkdir -p "$(dirname "$2")"
  python3 "$root/tools/controls_sheet/bmp_to_png.py" "$session/prefix/drive_c/controls-sheet.bmp" "$2"
  echo "sheet written to $2"
}

if [ $# -ge 2 ]; then
  render "${3:-dark}" "$2"
else
  render dark "$root/docs/controls-sheet.png"
  render high-contrast-black "$root/docs/controls-sheet-high-contrast-black.png"
  render high-contrast-white "$root/docs/controls-sheet-high-contrast-white.png"
fi
