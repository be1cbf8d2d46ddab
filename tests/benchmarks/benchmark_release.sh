# Sourced by the benchmark scripts: a Wine session in $build/$1 whose fixture update host serves a
# signed release 1.4.2 of three 24 MiB files (the test doubles, padded). Sets build and
# BORELU_WINE_DIR; the session and the host end with the calling script.
build=build/windows-test
export BORELU_WINE_DIR="$PWD/$build/$1"
tests/wine/session.sh start "$BORELU_WINE_DIR" >/dev/null
trap 'tests/fixture_host/session.sh stop >/dev/null; tests/wine/session.sh stop "$BORELU_WINE_DIR" >/dev/null' EXIT

big=$BORELU_WINE_DIR/big
mkdir -p "$big"
for double in application service_installer updater; do
  cp "$build/tools/borelu_double_$double.exe" "$big/$double.exe"
  truncate -s 25165824 "$big/$double.exe"
done
tests/fixture_host/session.sh start "$build/tools/trust_test_ca.exe" "tests/wine/run.sh $build/tools/borelu-release.exe" \
  "$big/application.exe" "$big/service_installer.exe" "$big/updater.exe" >/dev/null
