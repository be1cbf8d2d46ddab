#!/usr/bin/env bash
# Times the drawing of the wizard's owner-drawn controls at scale 1.5 under Wine and counts the
# process's GDI objects around 1000 paints. Run by hand; nothing is asserted.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/windows-test
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target borelu_theme_benchmark
session=$build/benchmark-wine
source "$root/tests/wine/script_session.sh"
borelu_wine_session "$session"
BORELU_WINE_DIR=$session "$root/tests/wine/run.sh" "$build/tests/borelu_theme_benchmark.exe"
