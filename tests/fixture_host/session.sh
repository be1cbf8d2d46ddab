#!/usr/bin/env bash
# The fixture update host for one test run, inside the Wine session's folder:
#   session.sh start TRUST_EXE SIGNER APPLICATION SERVICE UPDATER
#     new certificates, the authority trusted in the prefix, a signed test release 1.4.2 in
#     $BORELU_WINE_DIR/host/root, and the HTTPS server on port 443 (log in host/requests.log);
#     besides, ready stages of other signed versions in host/stages/VERSION, each with its own
#     updater build (the double, its last bytes changed), for the version and runner rules
#   session.sh serve   the server alone again, over the site already made (after nginx.sh)
#   session.sh stop
set -euo pipefail
: "${BORELU_WINE_DIR:?}"
here=$(cd "$(dirname "$0")/../.." && pwd)
dir="$BORELU_WINE_DIR/host"
action=${1:?usage: session.sh start|stop ...}

stop() {
  if [ -f "$dir/server.pid" ]; then
    kill "$(cat "$dir/server.pid")" 2>/dev/null || true
    rm -f "$dir/server.pid"
  fi
}

# The HTTPS server on port 443 over the site already in $dir, until it answers.
serve() {
  setsid python3 "$here/tests/fixture_host/update_host.py" --root "$dir/root" \
    --cert "$dir/certs/server.pem" --key "$dir/certs/server.key" --log "$dir/requests.log" \
    </dev/null >"$dir/server.out" 2>&1 &
  echo $! >"$dir/server.pid"
  for _ in $(seq 100); do
    if python3 -c 'import socket; socket.create_connection(("127.0.0.1", 443), 0.2).close()' 2>/dev/null; then
      echo "update host ready"
      return 0
    fi
    sleep 0.1
  done
  echo "update host did not start"
  cat "$dir/server.out"
  exit 1
}

case "$action" in
  start)
    trust=${2:?} signer=${3:?}
    stop
    rm -rf "$dir"
    mkdir -p "$dir/root"
    "$here/tests/fixture_host/make_certificates.sh" "$dir/certs"
    "$here/tests/wine/run.sh" "$trust" "Z:$(tr / '\\' <<<"$dir/certs/ca.der")"
    BORELU_RELEASE="$signer" "$here/tests/fixture_host/make_test_release.sh" "$dir/root" 1.4.2 "$4" "$5" "$6"
    for version in 1.4.1 1.4.3 1.9.9 1.10.0; do
      work="$dir/stages/$version.build"
      mkdir -p "$work"
      cp "$6" "$work/updater.exe"
      # Its last 16 bytes name the version: another digest, the same size (which may be the
      # largest a release allows).
      printf '%-16s' "build $version" |
        dd of="$work/updater.exe" bs=1 seek=$(($(stat -c %s "$work/updater.exe") - 16)) conv=notrunc status=none
      BORELU_RELEASE="$signer" "$here/tests/fixture_host/make_test_release.sh" "$work" "$version" "$4" "$5" \
        "$work/updater.exe" >/dev/null
      mv "$work/releases/$version" "$dir/stages/$version"
      mv "$work/updates/latest.json" "$dir/stages/$version/release.json"
      rm -rf "$work"
    done
    : >"$dir/requests.log"
    serve
    ;;
  serve)
    stop
    serve
    ;;
  stop)
    stop
    echo "update host stopped"
    ;;
esac
