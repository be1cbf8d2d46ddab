#!/usr/bin/env bash
# Runs a Windows program under Wine in the test session's prefix and display
# (see session.sh). Used as the cross build's CMAKE_CROSSCOMPILING_EMULATOR.
set -euo pipefail
: "${BORELU_WINE_DIR:?BORELU_WINE_DIR must name a Wine session folder made by tests/wine/session.sh}"
export WINEPREFIX="$BORELU_WINE_DIR/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
if [ -f "$BORELU_WINE_DIR/display" ]; then
  DISPLAY=":$(cat "$BORELU_WINE_DIR/display")"
  export DISPLAY
fi
exec /usr/lib/wine/wine64 "$@"
