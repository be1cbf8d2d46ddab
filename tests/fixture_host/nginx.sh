#!/usr/bin/env bash
# nginx in place of the fixture update host, serving the same published site with the same
# certificate through tests/fixture_host/nginx-site.conf, on 127.0.0.1:443 of the test's network
# namespace (run as root, as CI does):
#   nginx.sh start   stops the fixture host's server and starts nginx (log in host/nginx/access.log)
#   nginx.sh stop    stops nginx and starts the fixture host's server again
#   nginx.sh run COMMAND...   start, COMMAND, stop: one test, so that no test of the fixture host
#                             runs while nginx holds its port
set -euo pipefail
: "${BORELU_WINE_DIR:?}"
here=$(cd "$(dirname "$0")/../.." && pwd)
host="$BORELU_WINE_DIR/host"
dir="$host/nginx"

case "${1:?usage: nginx.sh start|stop|run COMMAND...}" in
  run)
    shift
    "$0" start
    trap '"$0" stop' EXIT
    "$@"
    ;;
  start)
    "$here/tests/fixture_host/session.sh" stop >/dev/null
    rm -rf "$dir"
    mkdir -p "$dir/temp"
    sed -e "s|@ROOT@|$host/root|" -e "s|@CERTIFICATE@|$host/certs/server.pem|" \
      -e "s|@KEY@|$host/certs/server.key|" "$here/tests/fixture_host/nginx-site.conf" >"$dir/site.conf"
    cat >"$dir/nginx.conf" <<CONF
daemon on;
pid $dir/nginx.pid;
error_log $dir/error.log;
events {}
http {
    include /etc/nginx/mime.types;
    log_format requests '\$request_method \$request_uri \$status \$server_protocol "\$http_user_agent" "\$http_accept_encoding" \$body_bytes_sent';
    access_log $dir/access.log requests;
    client_body_temp_path $dir/temp/body;
    proxy_temp_path $dir/temp/proxy;
    fastcgi_temp_path $dir/temp/fastcgi;
    uwsgi_temp_path $dir/temp/uwsgi;
    scgi_temp_path $dir/temp/scgi;
    include $dir/site.conf;
}
CONF
    nginx -t -c "$dir/nginx.conf" -p "$dir" 2>"$dir/check.log" || { cat "$dir/check.log"; exit 1; }
    nginx -c "$dir/nginx.conf" -p "$dir"
    # What the server block promises, as a client that can sees it: HTTP/2 by ALPN, the cache
    # headers, and gzip only for a client that asks (Setup does not; it gets the published bytes).
    head() { curl -sS --cacert "$host/certs/ca.pem" --resolve localhost:443:127.0.0.1 -o /dev/null -D - "$@"; }
    expect() {  # what, headers, pattern
      grep -qi "$3" <<<"$2" || { echo "nginx: $1 lacks \"$3\":"; echo "$2"; exit 1; }
    }
    metadata=$(head --http2 https://localhost/updates/latest.json)
    expect "the metadata" "$metadata" '^HTTP/2 200'
    expect "the metadata" "$metadata" '^cache-control: no-cache'
    release=$(head --http2 https://localhost/releases/1.4.2/Borelu.exe)
    expect "a release file" "$release" '^cache-control: public, max-age=31536000, immutable'
    expect "a release file" "$release" '^content-type: application/octet-stream'
    asked=$(head -H 'Accept-Encoding: gzip' https://localhost/updates/latest.json)
    expect "the metadata asked for gzip" "$asked" '^content-encoding: gzip'
    if grep -qi '^content-encoding' <<<"$metadata"; then
      echo "nginx: compressed the metadata for a client that did not ask"; exit 1
    fi
    printf '%s\n' "$metadata" "$release" "$asked" | tr -d '\r' >"$dir/headers.txt"
    : >"$dir/access.log"  # the test reads only Setup's requests
    echo "nginx ready"
    ;;
  stop)
    if [ -f "$dir/nginx.pid" ]; then
      nginx -c "$dir/nginx.conf" -p "$dir" -s quit 2>/dev/null || true
      for _ in $(seq 50); do [ -f "$dir/nginx.pid" ] || break; sleep 0.1; done
    fi
    "$here/tests/fixture_host/session.sh" serve
    ;;
esac
