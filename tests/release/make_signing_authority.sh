#!/usr/bin/env bash
# A throw-away code-signing authority for the signing tests, made anew for each run and trusted
# only in the test's own Wine prefix:
#   make_signing_authority.sh DIR
#     DIR/ca.pem, ca.der         the authority (root)
#     DIR/codesign.pem, .key     a code-signing certificate it issued, DIR/chain.pem that
#                                certificate followed by the authority, DIR/codesign.p12 both with
#                                the key, under the password in DIR/password
#     DIR/other-codesign.pem, .key, DIR/other-chain.pem   a second code-signing certificate of
#                                the same authority, for another publisher
#     DIR/tsa.pem, .key          a time-stamping certificate it issued, DIR/tsa-chain.pem the
#                                authority (for the fixture host's RFC 3161 replies)
set -euo pipefail
dir=${1:?usage: make_signing_authority.sh DIR}
mkdir -p "$dir"
cd "$dir"
openssl req -x509 -newkey rsa:3072 -nodes -keyout ca.key -out ca.pem -days 2 -sha256 \
  -subj "/CN=Borelu Test Code Signing Authority (throw-away)" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl x509 -in ca.pem -outform DER -out ca.der
issue() {  # issue NAME SUBJECT EXTENSIONS
  openssl req -newkey rsa:3072 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2" 2>/dev/null
  printf '%b' "$3" >"$1.ext"
  openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -out "$1.pem" -days 2 \
    -sha256 -extfile "$1.ext" 2>/dev/null
  rm -f "$1.csr" "$1.ext"
}
issue codesign "/CN=Borelu Test Publisher (throw-away)/O=Borelu" \
  'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n'
issue other-codesign "/CN=Borelu Test Other Publisher (throw-away)/O=Borelu" \
  'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n'
issue tsa "/CN=Borelu Test Time-Stamp Authority (throw-away)" \
  'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,timeStamping\n'
cat codesign.pem ca.pem >chain.pem
cat other-codesign.pem ca.pem >other-chain.pem
cp ca.pem tsa-chain.pem
head -c 18 /dev/urandom | base64 >password
openssl pkcs12 -export -in codesign.pem -inkey codesign.key -certfile ca.pem -out codesign.p12 \
  -passout file:password
rm -f ca.srl
