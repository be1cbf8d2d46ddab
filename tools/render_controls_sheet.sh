#!/usr/bin/env bash
# Renders every control state in both directions from the real drawing code, under Wine in a
# session of its own (with the test prefix's fonts), into docs/controls-sheet.png.
#   bash tools/render_controls_sheet.sh [SCALE] [OUT.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scale=${1:-1.0}
out=${2:-$root/docs/controls-sheet.png}
build=$root/build/windows-test
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target render_controls_sheet
session=$build/sheet-wine
trap '"$root/tests/wine/session.sh" stop "$session" >/dev/null' EXIT
"$root/tests/wine/session.sh" start "$session"
BORELU_WINE_DIR=$session "$root/tests/wine/run.sh" "$build/tests/render_controls_sheet.exe" \
  'C:\controls-sheet.bmp' "$scale"
mkdir -p "$(dirname "$out")"
python3 "$root/tools/controls_sheet/bmp_to_png.py" "$session/prefix/drive_c/controls-sheet.bmp" "$out"
echo "sheet written to $out"
