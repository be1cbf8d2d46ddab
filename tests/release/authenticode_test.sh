#!/usr/bin/env bash
# Signs an executable as a release is signed (tools/sign_setup.sh), with a throw-away code-signing
# authority and a local RFC 3161 time-stamp authority (the fixture host), in each way a publisher
# may hold the key: a PKCS#12 file, PEM files, a PKCS#11 token (SoftHSM standing in for a hardware
# token or a signing service's module) and an outside signing command; and the refusals. Then
# Windows' own check under Wine, in a prefix that trusts the throw-away authority: WinVerifyTrust
# accepts each signed file and refuses one whose byte was changed, and the RFC 3161 time stamp,
# the program's name and URL are in the signature.
#   authenticode_test.sh EXE TEST_BUILD
# TEST_BUILD is a windows-test build folder: its trust_test_ca.exe and authenticode_check.exe.
set -euo pipefail
cd "$(dirname "$0")/../.."
exe=${1:?usage: authenticode_test.sh EXE TEST_BUILD}
test_build=${2:?usage: authenticode_test.sh EXE TEST_BUILD}
work=$PWD/build/release-check/authenticode
rm -rf "$work"
mkdir -p "$work/site"
authority=$work/authority
bash tests/release/make_signing_authority.sh "$authority"
export BORELU_WINE_DIR=$work/wine
tsa_pid=""
cleanup() {
  [ -z "$tsa_pid" ] || kill "$tsa_pid" 2>/dev/null || true
  tests/wine/session.sh stop "$BORELU_WINE_DIR" >/dev/null 2>&1 || true
}
trap cleanup EXIT

python3 tests/fixture_host/update_host.py --root "$work/site" --log "$work/tsa-requests.log" --plain \
  --port 0 --timestamp-authority "$authority" >"$work/tsa.out" 2>&1 &
tsa_pid=$!
port=""
for _ in $(seq 300); do
  port=$(sed -n 's/^update host serving .* on port \([0-9]*\)$/\1/p' "$work/tsa.out")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "the time-stamp authority did not start"; cat "$work/tsa.out"; exit 1; }
timestamp_url=http://127.0.0.1:$port/timestamp

failures=0
fail() {
  echo "FAIL $1"
  failures=$((failures + 1))
}
sign() {  # sign NAME OPTIONS...: signs EXE into $work/NAME.exe, trusting the throw-away roots
  local name=$1
  shift
  bash tools/sign_setup.sh --timestamp-url "$timestamp_url" "$@" "$exe" "$work/$name.exe" \
    >"$work/$name.log" 2>&1
}

# The key in a hardware token, through its PKCS#11 module: SoftHSM's, with the key imported.
export SOFTHSM2_CONF=$work/softhsm2.conf
mkdir -p "$work/tokens"
printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' "$work/tokens" >"$SOFTHSM2_CONF"
printf '4711-test\n' >"$work/pin"
softhsm2-util --init-token --free --label borelu-release --pin 4711-test --so-pin 08154711 >/dev/null
openssl pkcs8 -topk8 -nocrypt -in "$authority/codesign.key" -out "$work/token-key.p8"
softhsm2-util --import "$work/token-key.p8" --token borelu-release --label codesign --id 01 \
  --pin 4711-test >/dev/null
rm "$work/token-key.p8"
# shellcheck disable=SC2034  # read by the table below, through eval
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || echo x86_64-linux-gnu)
# A signing service's client, standing in: signs with the name and URL it is handed.
cat >"$work/signing-service.sh" <<EOF
#!/usr/bin/env bash
set -euo pipefail
osslsigncode sign -certs "$authority/chain.pem" -key "$authority/codesign.key" -h sha256 \\
  -n "\$BORELU_SIGN_NAME" -i "\$BORELU_SIGN_URL" -in "\$1" -out "\$2" >/dev/null
EOF
# One that leaves the program's name out.
sed 's/-n "$BORELU_SIGN_NAME" //' "$work/signing-service.sh" >"$work/careless-service.sh"
# One that signs with another certificate of the same authority.
sed 's#/chain.pem#/other-chain.pem#; s#/codesign.key#/other-codesign.key#' "$work/signing-service.sh" \
  >"$work/other-service.sh"
# One whose path has a blank and a wildcard, each to be taken as it is.
mkdir -p "$work/signing tools"
cp "$work/signing-service.sh" "$work/signing tools/sign*[1].sh"
chmod +x "$work/signing tools/sign*[1].sh"
# The publisher's certificate, pinned, and another certificate of the same authority. These and
# `roots` are read by the table's options below, through eval.
# shellcheck disable=SC2034
subject="/CN=Borelu Test Publisher (throw-away)/O=Borelu"
# shellcheck disable=SC2034
thumbprint=$(openssl x509 -in "$authority/codesign.pem" -noout -fingerprint -sha256 | sed 's/^.*=//')

# shellcheck disable=SC2034
roots=(--ca-file "$authority/ca.pem")
while IFS='|' read -r name expected options; do
  eval "set -- $options"
  status=0
  sign "$name" "$@" || status=$?
  if [ "$expected" = signed ]; then
    if [ "$status" -ne 0 ] || ! python3 tools/compare_unsigned.py "$exe" "$work/$name.exe" >/dev/null; then
      fail "$name: status $status"
      cat "$work/$name.log"
    else
      echo "ok   signed with $name"
    fi
  elif [ "$status" -eq 0 ] || [ -e "$work/$name.exe" ] || ! grep -qF "$expected" "$work/$name.log"; then
    fail "$name: status $status (want a refusal: $expected)"
    cat "$work/$name.log"
  else
    echo "ok   refused $name: $expected"
  fi
done <<'TABLE'
pkcs12|signed|"${roots[@]}" --pkcs12 "$authority/codesign.p12" --password-file "$authority/password"
pem|signed|"${roots[@]}" --cert "$authority/chain.pem" --key "$authority/codesign.key"
pkcs11-token|signed|"${roots[@]}" --cert "$authority/chain.pem" --pkcs11-engine "/usr/lib/$multiarch/engines-3/pkcs11.so" --pkcs11-module /usr/lib/softhsm/libsofthsm2.so --key "pkcs11:token=borelu-release;object=codesign;type=private" --password-file "$work/pin"
signing-command|signed|"${roots[@]}" --sign-command bash "$work/signing-service.sh" --
command-path-with-blank-and-wildcard|signed|"${roots[@]}" --sign-command "$work/signing tools/sign*[1].sh" --
pinned-subject|signed|"${roots[@]}" --expect-subject "$subject" --pkcs12 "$authority/codesign.p12" --password-file "$authority/password"
pinned-thumbprint|signed|"${roots[@]}" --expect-sha256 "$thumbprint" --cert "$authority/chain.pem" --key "$authority/codesign.key"
other-certificate-pinned-subject|the signer's certificate is /CN=Borelu Test Other Publisher (throw-away)/O=Borelu, not the expected|"${roots[@]}" --expect-subject "$subject" --cert "$authority/other-chain.pem" --key "$authority/other-codesign.key"
other-certificate-pinned-thumbprint|the signer's certificate has the SHA-256 thumbprint|"${roots[@]}" --expect-sha256 "$thumbprint" --cert "$authority/other-chain.pem" --key "$authority/other-codesign.key"
other-command-pinned-thumbprint|not the expected one|"${roots[@]}" --expect-sha256 "$thumbprint" --sign-command bash "$work/other-service.sh" --
untrusted-roots|the signature does not verify|--cert "$authority/chain.pem" --key "$authority/codesign.key"
careless-command|the signature lacks the program's name|"${roots[@]}" --sign-command bash "$work/careless-service.sh" --
unended-command|sign_setup.sh --timestamp-url URL [OPTIONS] KEY_SOURCE IN.exe OUT.exe|"${roots[@]}" --sign-command bash "$work/signing-service.sh"
wrong-password|PKCS#12|"${roots[@]}" --pkcs12 "$authority/codesign.p12" --password-file "$work/pin"
TABLE
sed -n '/^signed /,$p' "$work/pkcs12.log"

# Windows' check, in a prefix that trusts the throw-away authority.
tests/wine/session.sh start "$BORELU_WINE_DIR" >/dev/null
winpath() { printf 'Z:%s' "$(realpath "$1" | tr / '\\')"; }
tests/wine/run.sh "$test_build/tests/trust_test_ca.exe" "$(winpath "$authority/ca.der")"
check_under_wine() {  # check_under_wine FILE EXPECTED_STATUS EXPECTED_FIRST_LINE
  local status=0
  tests/wine/run.sh "$test_build/tests/authenticode_check.exe" "$(winpath "$1")" 2>&1 | tr -d '\r' >"$work/check.out" || status=$?
  if [ "$status" -ne "$2" ] || [ "$(head -1 "$work/check.out")" != "$3" ]; then
    fail "$(basename "$1") under Wine: status $status"
    cat "$work/check.out"
    return
  fi
  if [ "$2" -eq 0 ] && ! diff <(tail -n +2 "$work/check.out" | sed 's/, [0-9]\{14\}Z$//') \
    <(printf 'name: Borelu Setup\nurl: https://borelu.app/\ntimestamp: RFC 3161\n') >/dev/null; then
    fail "$(basename "$1") under Wine: the signature's contents"
    cat "$work/check.out"
    return
  fi
  echo "ok   $(basename "$1") under Wine:"
  sed 's/^/       /' "$work/check.out"
}
for name in pkcs12 pem pkcs11-token signing-command; do
  check_under_wine "$work/$name.exe" 0 "WinVerifyTrust: accepted"
done
cp "$work/pkcs12.exe" "$work/tampered.exe"
python3 - "$work/tampered.exe" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
data[len(data) // 3] ^= 0x01
open(sys.argv[1], "wb").write(data)
PY
check_under_wine "$work/tampered.exe" 1 \
  "WinVerifyTrust: refused: Windows could not verify the Microsoft WebView2 installer signature (0x80096010). Check internet access and run Setup again."
check_under_wine "$exe" 1 \
  "WinVerifyTrust: refused: Windows could not verify the Microsoft WebView2 installer signature (0x800b0100). Check internet access and run Setup again."

if [ "$failures" -ne 0 ]; then
  echo "$failures signing check(s) failed"
  exit 1
fi
