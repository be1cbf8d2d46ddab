#!/usr/bin/env bash
# borelu-release as release automation uses it: exact output and exit status of "verify",
# "sign" refusing documents that verification would refuse, key handling, and a document
# signed by OpenSSL rather than by this code.
set -euo pipefail
tool=${1:?usage: release_tool_test.sh BORELU_RELEASE SEED_FILE}
seed=${2:?usage: release_tool_test.sh BORELU_RELEASE SEED_FILE}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # check NAME EXPECTED_STDOUT EXPECTED_STATUS COMMAND...
  local name=$1 expected=$2 status=$3
  shift 3
  local actual_status=0
  "$@" >"$work/stdout" 2>"$work/stderr" || actual_status=$?
  if [ "$actual_status" != "$status" ] || ! cmp -s "$work/stdout" <(printf '%s' "$expected"); then
    echo "FAIL $name: status $actual_status (want $status), stdout:"
    od -c "$work/stdout" | head -5
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

public=$("$tool" public-key "$seed")
mkdir "$work/release"
for name in Borelu BoreluService BoreluUpdater; do
  head -c 4096 /dev/urandom >"$work/release/$name.exe"
done

check "sign" "" 0 "$tool" sign --key "$seed" --version 1.4.2 --published-at 2026-12-01T00:00:00Z \
  --out "$work/latest.json" "$work/release"
check "verify with the signer's key" $'OK 1.4.2\n' 0 "$tool" verify --public-key "$public" "$work/latest.json"
check "verify against the built-in key" $'The release signature could not be verified.\n' 1 \
  "$tool" verify "$work/latest.json"
check "verify with a malformed key" $'Invalid SHA-256/public key.\n' 1 \
  "$tool" verify --public-key ABC "$work/latest.json"
sed 's/"version":"1.4.2"/"version":"1.4.3"/' "$work/latest.json" >"$work/changed.json"
check "a changed value" $'The release signature could not be verified.\n' 1 \
  "$tool" verify --public-key "$public" "$work/changed.json"
# Only blanks may follow the document: a NUL byte is not the end of it.
for trailer in '\0' '\0 not json {{' ' \0'; do
  { cat "$work/latest.json"; printf "$trailer"; } >"$work/trailing.json"
  check "a document followed by $trailer" $'Invalid release metadata.\n' 1 \
    "$tool" verify --public-key "$public" "$work/trailing.json"
done
: >"$work/empty.json"
check "an empty document" $'Release metadata is too large.\n' 1 \
  "$tool" verify --public-key "$public" "$work/empty.json"
check "usage" "" 2 "$tool" verify

# sign refuses what verification refuses, and writes nothing then.
check "sign refuses a bad version" "" 1 "$tool" sign --key "$seed" --version 1.4 --out "$work/bad.json" "$work/release"
grep -qx 'Invalid release version.' "$work/stderr" || { echo "FAIL bad version message"; failures=$((failures + 1)); }
head -c 100 /dev/urandom >"$work/release/Borelu.exe"
check "sign refuses a tiny file" "" 1 "$tool" sign --key "$seed" --version 1.4.2 --out "$work/bad.json" "$work/release"
grep -qx 'Release file size is outside the supported limit.' "$work/stderr" || { echo "FAIL size message"; failures=$((failures + 1)); }
[ ! -e "$work/bad.json" ] || { echo "FAIL a refused document was written"; failures=$((failures + 1)); }

# The support aid.
check "explain a permission failure" $'12\terror\tWindows permission is required\n' 0 \
  "$tool" explain "Lock Borelu installation: Access denied. (os error 5)"
check "explain a cancellation" $'4\tinformation\tOperation cancelled\n' 0 "$tool" explain "Cancelled."
check "explain the fallback" $'14\terror\tThe operation could not finish\n' 0 "$tool" explain ""

# Keys.
"$tool" keygen "$work/new.seed" >"$work/new.public"
grep -Eqx '[0-9a-f]{64}' "$work/new.public" || { echo "FAIL keygen output"; failures=$((failures + 1)); }
check "public-key repeats keygen's key" "$(cat "$work/new.public")"$'\n' 0 "$tool" public-key "$work/new.seed"
check "keygen refuses to overwrite" "" 1 "$tool" keygen "$work/new.seed"

# A document signed by OpenSSL over the canonical payload, written with other spacing, member
# order and escaping than this tool writes.
seed_hex=$(tr -d '\n' <"$seed")
python3 -c 'import sys; sys.stdout.buffer.write(bytes.fromhex(sys.argv[1]))' \
  "302e020100300506032b657004220420$seed_hex" >"$work/key.der"
openssl pkey -inform DER -in "$work/key.der" -out "$work/key.pem"
python3 - "$work" <<'PY'
import hashlib, json, sys
work = sys.argv[1]
files = []
for name in ("BoreluUpdater.exe", "Borelu.exe", "BoreluService.exe"):
    data = open(f"{work}/release/{name}", "rb").read() if name != "Borelu.exe" else b"x" * 2048
    files.append({"url": f"https://borelu.app/releases/2.0.1/{name}", "sha256": hashlib.sha256(data).hexdigest(),
                  "name": name, "bytes": len(data)})
payload = {"version": "2.0.1", "publishedAt": "2026-12-02T08:00:00+01:00", "minBootstrapper": 1, "files": files}
open(f"{work}/payload.canonical", "wb").write(
    json.dumps(payload, sort_keys=True, separators=(",", ":"), ensure_ascii=False).encode())
json.dump(payload, open(f"{work}/payload.pretty", "w"), indent=4)
PY
openssl pkeyutl -sign -inkey "$work/key.pem" -rawin -in "$work/payload.canonical" -out "$work/signature.bin"
{
  printf '{\r\n\t"signature" : "%s",\r\n\t"payload" : ' "$(base64 -w0 "$work/signature.bin")"
  sed 's#https://#https:\\/\\/#' "$work/payload.pretty"
  printf ',\r\n\t"schema" : 1\r\n}\r\n'
} >"$work/openssl.json"
check "a document signed by OpenSSL" $'OK 2.0.1\n' 0 "$tool" verify --public-key "$public" "$work/openssl.json"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
