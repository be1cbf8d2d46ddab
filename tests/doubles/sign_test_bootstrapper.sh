#!/usr/bin/env bash
# Authenticode-signs the test build's WebView2 bootstrapper double, so that the worker's signature
# check runs in tests exactly as it does in a release. The code-signing certificate is made for
# the build tree on first use (a throw-away test authority, never trusted anywhere).
# usage: sign_test_bootstrapper.sh UNSIGNED.exe SIGNED.exe CERTIFICATE_FOLDER
set -euo pipefail
in=${1:?usage: sign_test_bootstrapper.sh UNSIGNED.exe SIGNED.exe CERTIFICATE_FOLDER}
out=${2:?}
certs=${3:?}
mkdir -p "$certs"
if [ ! -f "$certs/codesign.pem" ] || [ ! -f "$certs/codesign.key" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -sha256 \
    -subj "/CN=Borelu test code signing (not for release)" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$certs/codesign.key" -out "$certs/codesign.pem" 2>/dev/null
fi
rm -f "$out"
osslsigncode sign -certs "$certs/codesign.pem" -key "$certs/codesign.key" -h sha256 \
  -n "Borelu test WebView2 bootstrapper" -in "$in" -out "$out" >/dev/null
