#!/usr/bin/env bash
# Fails unless the third-party notices lie beside the executable and name every library linked
# into it, with the licence texts they refer to.
set -euo pipefail
exe=${1:?usage: check_notices.sh FILE.exe}
notices=$(dirname "$exe")/THIRD-PARTY-NOTICES.txt
[ -f "$notices" ] || { echo "no $notices"; exit 1; }
status=0
for name in libsodium nlohmann-json libstdc++ libgcc MinGW-w64 winpthreads \
  'GCC RUNTIME LIBRARY EXCEPTION' 'GNU LESSER GENERAL PUBLIC LICENSE' 'GNU GENERAL PUBLIC LICENSE'; do
  if grep -qF -- "$name" "$notices"; then
    echo "named: $name"
  else
    echo "NOT named: $name"
    status=1
  fi
done
exit $status
