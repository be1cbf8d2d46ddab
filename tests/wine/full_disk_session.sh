#!/usr/bin/env bash
# A Wine session whose whole prefix lies on a small tmpfs, for the tests that fill its disk for
# real (needs root to mount):
#   full_disk_session.sh start DIR TRUST_EXE CA_DER   the session, trusting the fixture host's
#                                                     authority CA_DER
#   full_disk_session.sh stop DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?usage: full_disk_session.sh start|stop DIR ...}
dir=${2:?usage: full_disk_session.sh start|stop DIR ...}
case "$action" in
  start)
    # A fresh prefix takes about 700 MB: this leaves some 100 MB to fill.
    BORELU_SESSION_TMPFS=${BORELU_FULL_DISK_SIZE:-800M} "$here/session.sh" start "$dir"
    BORELU_WINE_DIR="$dir" "$here/run.sh" "${3:?}" "Z:$(tr / '\\' <<<"${4:?}")"
    ;;
  *)
    "$here/session.sh" "$action" "$dir"
    ;;
esac
