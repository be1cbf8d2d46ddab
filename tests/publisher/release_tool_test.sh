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

# A static update site: publish lays it out, check-site checks it as Setup would.
mkdir "$work/input" "$work/changed"
for name in Borelu BoreluService BoreluUpdater; do
  head -c 3000 /dev/urandom >"$work/input/$name.exe"
  cp "$work/input/$name.exe" "$work/changed/$name.exe"
done
printf 'other bytes' >>"$work/changed/BoreluService.exe"
site=$work/site
tree_digest() { (cd "$1" && find . -type f -exec sha256sum {} + | sort); }
publish() {  # publish VERSION FOLDER [OPTIONS...]
  local version=$1 folder=$2
  shift 2
  "$tool" publish --key "$seed" --public-key "$public" --version "$version" \
    --published-at 2026-12-01T00:00:00Z --site "$site" "$@" "$folder"
}
order() {  # the upload order publish prints for VERSION
  printf 'Published %s. Upload in this order, each file complete before the next:\n' "$1"
  printf 'releases/%s/Borelu.exe\nreleases/%s/BoreluService.exe\nreleases/%s/BoreluUpdater.exe\n' "$1" "$1" "$1"
  printf 'updates/latest.json\n'
}
check "publish 1.4.2" "$(order 1.4.2)"$'\n' 0 publish 1.4.2 "$work/input"
for name in Borelu BoreluService BoreluUpdater; do
  cmp -s "$work/input/$name.exe" "$site/releases/1.4.2/$name.exe" ||
    { echo "FAIL $name.exe not published as given"; failures=$((failures + 1)); }
done
check "the published metadata verifies" $'OK 1.4.2\n' 0 "$tool" verify --public-key "$public" "$site/updates/latest.json"
check "check-site" $'OK 1.4.2\n' 0 "$tool" check-site --public-key "$public" "$site"
check "publish the same bytes again" "$(order 1.4.2)"$'\n' 0 publish 1.4.2 "$work/input"
before=$(tree_digest "$site")
# Refusals leave the site exactly as it was.
check "publish other bytes under a published version" "" 1 publish 1.4.2 "$work/changed"
grep -qx 'releases/1.4.2/BoreluService.exe is already published with other bytes; a published file is never replaced. Publish the changed release under a new version.' "$work/stderr" ||
  { echo "FAIL overwrite message: $(cat "$work/stderr")"; failures=$((failures + 1)); }
check "publish an older version" "" 1 publish 1.4.1 "$work/input"
grep -qx 'The site already publishes 1.4.2, which is newer than 1.4.1.' "$work/stderr" ||
  { echo "FAIL older message: $(cat "$work/stderr")"; failures=$((failures + 1)); }
check "publish with a key the site is not checked against" "" 1 \
  "$tool" publish --key "$seed" --version 1.5.0 --site "$site" "$work/changed"
grep -qx 'The release signature could not be verified. The signing key is not the key the site is checked against.' "$work/stderr" ||
  { echo "FAIL key message: $(cat "$work/stderr")"; failures=$((failures + 1)); }
[ "$(tree_digest "$site")" = "$before" ] || { echo "FAIL a refused publish changed the site"; failures=$((failures + 1)); }
check "publish 1.5.0" "$(order 1.5.0)"$'\n' 0 publish 1.5.0 "$work/changed"
[ -f "$site/releases/1.4.2/Borelu.exe" ] || { echo "FAIL an older release was removed"; failures=$((failures + 1)); }

# Whoever can write in the site must not make publish write anywhere else: a link or anything but
# a plain folder or file on a path publish writes is refused before anything is written, and the
# link's target is untouched. Outside the site: a secret (standing in for the signing seed) and a
# folder.
site_state() {  # every entry below $1 with its type, its link's target and its bytes' digest
  (cd "$1" && find . -printf '%p %y %l\n' | sort &&
    find . -type f -exec sha256sum {} + | sort)
}
outside=$work/outside
cp -r "$site" "$work/published"
while IFS='|' read -r name arrange expected; do
  rm -rf "$site" "$outside" && cp -r "$work/published" "$site"
  mkdir -p "$outside/folder" && printf 'the signing seed\n' >"$outside/secret"
  eval "$arrange"
  site_before=$(site_state "$site")
  outside_before=$(site_state "$outside")
  check "publish refuses $name" "" 1 timeout 20 "$tool" publish --key "$seed" --public-key "$public" \
    --version 1.6.0 --published-at 2026-12-01T00:00:00Z --site "$site" "$work/input"
  grep -qxF "$expected" "$work/stderr" ||
    { echo "FAIL $name message: $(cat "$work/stderr")"; failures=$((failures + 1)); }
  [ "$(site_state "$site")" = "$site_before" ] ||
    { echo "FAIL $name: a refused publish changed the site"; failures=$((failures + 1)); }
  [ "$(site_state "$outside")" = "$outside_before" ] ||
    { echo "FAIL $name: the link's target changed"; failures=$((failures + 1)); }
done <<'TABLE'
a linked releases folder|mv "$site/releases" "$outside/releases" && ln -s "$outside/releases" "$site/releases"|releases in the site is a link or not a plain folder.
a linked version folder|ln -s "$outside/folder" "$site/releases/1.6.0"|releases/1.6.0 in the site is a link or not a plain folder.
a link at a release file's name|mkdir "$site/releases/1.6.0" && ln -s "$outside/secret" "$site/releases/1.6.0/BoreluUpdater.exe"|releases/1.6.0/BoreluUpdater.exe in the site is a link or not a plain file.
a dangling link at a release file's name|mkdir "$site/releases/1.6.0" && ln -s "$outside/planted" "$site/releases/1.6.0/Borelu.exe"|releases/1.6.0/Borelu.exe in the site is a link or not a plain file.
a linked updates folder|mv "$site/updates" "$outside/updates" && ln -s "$outside/updates" "$site/updates"|updates in the site is a link or not a plain folder.
a linked metadata file|ln -sf "$outside/secret" "$site/updates/latest.json"|updates/latest.json in the site is a link or not a plain file.
a pipe at the metadata's name|rm "$site/updates/latest.json" && mkfifo "$site/updates/latest.json"|updates/latest.json in the site is a link or not a plain file.
a folder at a release file's name|mkdir -p "$site/releases/1.6.0/BoreluService.exe"|releases/1.6.0/BoreluService.exe in the site is a link or not a plain file.
a file where the metadata's folder belongs|rm -r "$site/updates" && printf 'not a folder' >"$site/updates"|updates in the site is a link or not a plain folder.
a pipe where the version folder belongs|mkfifo "$site/releases/1.6.0"|releases/1.6.0 in the site is a link or not a plain folder.
TABLE
# Temporary files are created new under names of their own: links planted at the names a write
# might take are neither followed nor replaced.
rm -rf "$site" "$outside" && cp -r "$work/published" "$site"
mkdir -p "$outside" "$site/releases/1.6.0" && printf 'the signing seed\n' >"$outside/secret"
for planted in updates/latest.json.publishing releases/1.6.0/Borelu.exe.publishing; do
  ln -s "$outside/secret" "$site/$planted"
done
check "publish beside planted temporary names" "$(order 1.6.0)"$'\n' 0 publish 1.6.0 "$work/input"
[ "$(cat "$outside/secret")" = "the signing seed" ] && [ -L "$site/updates/latest.json.publishing" ] ||
  { echo "FAIL a planted temporary name was written through"; failures=$((failures + 1)); }
[ -z "$(find "$site" -name '*.publishing' -type f)" ] ||
  { echo "FAIL a temporary file was left in the site"; failures=$((failures + 1)); }
rm -rf "$site" && cp -r "$work/published" "$site"

# check-site refuses what Setup would refuse, with Setup's texts.
cp -r "$site" "$work/pristine"
while IFS='|' read -r name change expected; do
  rm -rf "$site" && cp -r "$work/pristine" "$site"
  eval "$change"
  check "check-site: $name" "$expected"$'\n' 1 "$tool" check-site --public-key "$public" "$site"
done <<'TABLE'
a file one byte longer|printf x >>"$site/releases/1.5.0/Borelu.exe"|Downloaded file exceeds its signed size.
a file one byte shorter|truncate -s -1 "$site/releases/1.5.0/BoreluUpdater.exe"|BoreluUpdater.exe failed SHA-256/size verification.
a byte changed|python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[100] ^= 1; open(sys.argv[1], "wb").write(b)' "$site/releases/1.5.0/BoreluService.exe"|BoreluService.exe failed SHA-256/size verification.
a file missing|rm "$site/releases/1.5.0/BoreluService.exe"|releases/1.5.0/BoreluService.exe is missing from the site.
no metadata|rm "$site/updates/latest.json"|Cannot open updates/latest.json.
metadata signed for another host|"$tool" sign --key "$seed" --version 1.5.0 --host localhost --out "$site/updates/latest.json" "$work/changed"|Release download URL is not an approved Borelu URL.
TABLE
check "check-site against another key" $'The release signature could not be verified.\n' 1 \
  "$tool" check-site --public-key d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a "$work/pristine"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
