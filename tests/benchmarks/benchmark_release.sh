# shellcheck shell=bash
# Sourced by the benchmark scripts: a Wine session in $build/$1 whose fixture update host serves a
# signed release 1.4.2 of three 24 MiB files (the test doubles, padded). Sets build and
# BORELU_WINE_DIR; the session and the host end with the calling script.
build=build/windows-test
source tests/wine/script_session.sh
borelu_wine_session "$PWD/$build/$1"

big=$BORELU_WINE_DIR/big
mkdir -p "$big"
for double in application service_installer updater; do
  cp "$build/tests/borelu_double_$double.exe" "$big/$double.exe"
  truncate -s 25165824 "$big/$double.exe"
done
borelu_fixture_host "$big/application.exe" "$big/service_installer.exe" "$big/updater.exe" >/dev/null
