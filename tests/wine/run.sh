#!/usr/bin/env bash
# Runs a Windows program under Wine in the test session's prefix and display
# (see session.sh). Used as the cross build's CMAKE_CROSSCOMPILING_EMULATOR.
#
# The program writes its output to files that are copied out when it ends: a Wine process that
# outlives it (the desktop's explorer.exe, started by the first program that needs a desktop)
# keeps the Unix descriptors it was started with, and a caller reading a pipe to its end (ctest)
# would wait for that process instead of the program.
set -euo pipefail
: "${BORELU_WINE_DIR:?BORELU_WINE_DIR must name a Wine session folder made by tests/wine/session.sh}"
export WINEPREFIX="$BORELU_WINE_DIR/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
if [ -f "$BORELU_WINE_DIR/display" ]; then
  DISPLAY=":$(cat "$BORELU_WINE_DIR/display")"
  export DISPLAY
fi
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
status=0
/usr/lib/wine/wine64 "$@" >"$output" 2>"$errors" || status=$?
cat "$output"
cat "$errors" >&2
exit "$status"
