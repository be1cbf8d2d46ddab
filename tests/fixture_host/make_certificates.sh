#!/usr/bin/env bash
# A test certificate authority and a "localhost" server certificate signed by it, made anew for
# each test run. Only the test Wine prefix trusts the authority.
#   make_certificates.sh DIR   writes DIR/ca.pem, DIR/ca.der, DIR/server.pem, DIR/server.key
set -euo pipefail
dir=${1:?usage: make_certificates.sh DIR}
mkdir -p "$dir"
cd "$dir"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Borelu Test Update Authority" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl x509 -in ca.pem -outform DER -out ca.der
openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj "/CN=localhost" 2>/dev/null
printf 'subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' >server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 \
  -extfile server.ext 2>/dev/null
rm -f server.csr server.ext ca.srl
