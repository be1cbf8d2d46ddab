# shellcheck shell=bash
# Sourced by the scripts that run programs under Wine outside ctest: the demonstration, the
# screenshots, the accessibility document, the controls sheet and the benchmarks. One private
# network, one way to name a Linux path to Wine, one session with its fixture host, stopped on exit.
# Leaves the shell in the repository's root, with `root` and `build` set.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${build:-$root/build/windows-test}

# Runs the calling script again, once, in a network namespace of its own, where the fixture host
# can bind 127.0.0.1:443 without meeting a server of the machine and nothing outside is reached.
# Where namespaces are not allowed (a person's own machine without root), the script goes on here.
borelu_private_network() {
  if [ -z "${BORELU_PRIVATE_NETWORK:-}" ] && unshare -n true 2>/dev/null; then
    export BORELU_PRIVATE_NETWORK=1
    exec unshare -n bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
  fi
}

# The Windows path of a Linux path, through Wine's Z: drive.
windows_path() { echo "Z:$(realpath -m "$1" | tr / '\\')"; }

# Starts the Wine session in FOLDER (exported as BORELU_WINE_DIR) and stops it, with a fixture
# host if one was started, when the script ends.
borelu_wine_session() {
  export BORELU_WINE_DIR=$1
  trap '"$root/tests/fixture_host/session.sh" stop >/dev/null 2>&1; "$root/tests/wine/session.sh" stop "$BORELU_WINE_DIR" >/dev/null' EXIT
  "$root/tests/wine/session.sh" start "$BORELU_WINE_DIR" >/dev/null
}

# Starts the fixture update host in the session, serving release 1.4.2 made of the given
# application, service installer and updater (the test doubles unless given); prints what it
# serves.
borelu_fixture_host() {
  "$root/tests/fixture_host/session.sh" start "$build/tests/trust_test_ca.exe" \
    "$root/tests/wine/run.sh $build/publisher/borelu-release.exe" \
    "${1:-$build/tests/borelu_double_application.exe}" \
    "${2:-$build/tests/borelu_double_service_installer.exe}" \
    "${3:-$build/tests/borelu_double_updater.exe}"
}

cd "$root" || return
