#!/usr/bin/env bash
# Builds BoreluSetup.exe (test build) and runs it under Wine in a prefix of its own:
# the command-line refusal and a worker command line as the setup client writes it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

cmake --preset windows-test >/dev/null
cmake --build --preset windows-test --target BoreluSetup

export BORELU_WINE_DIR="$PWD/build/windows-test/demo-wine"
tests/wine/session.sh start "$BORELU_WINE_DIR"
trap 'tests/wine/session.sh stop "$BORELU_WINE_DIR" >/dev/null' EXIT
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

run --uninstall
run --worker --stage 'C:\Users\demo\AppData\Local\BoreluTauri/updates\BoreluUpdate-0123456789abcdef0123456789abcdef' \
    --owner-sid S-1-5-21-0-0-0-1000 --parent-pid 0 --setup --options en:001:2026-10-19
run --worker --stage 'C:\stage' --owner-sid S-1-5-21-0-0-0-1000 --parent-pid -1 --setup
