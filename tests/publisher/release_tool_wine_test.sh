#!/usr/bin/env bash
# borelu-release.exe under Wine prints exactly what release automation expects (no CR added).
set -euo pipefail
tool=${1:?usage: release_tool_wine_test.sh BORELU_RELEASE_EXE DOCUMENT PUBLIC_KEY}
document=${2:?}
public=${3:?}
here=$(dirname "$0")
winpath() { printf 'Z:%s' "$(realpath "$1" | tr / '\\')"; }

status=0
"$here/../wine/run.sh" "$tool" verify --public-key "$public" "$(winpath "$document")" >"$BORELU_WINE_DIR/verify.out" || status=$?
if [ "$status" -ne 0 ] || ! cmp -s "$BORELU_WINE_DIR/verify.out" <(printf 'OK 1.4.2\n'); then
  echo "verify under Wine: status $status, output:"
  od -c "$BORELU_WINE_DIR/verify.out"
  exit 1
fi
status=0
# Another signer's key (RFC 8032's first test key).
other=d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a
"$here/../wine/run.sh" "$tool" verify --public-key "$other" "$(winpath "$document")" >"$BORELU_WINE_DIR/verify.out" || status=$?
if [ "$status" -ne 1 ] || ! cmp -s "$BORELU_WINE_DIR/verify.out" <(printf 'The release signature could not be verified.\n'); then
  echo "refusal under Wine: status $status, output:"
  od -c "$BORELU_WINE_DIR/verify.out"
  exit 1
fi
echo "borelu-release.exe verify: exact output under Wine"
