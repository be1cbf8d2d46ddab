#!/usr/bin/env bash
# Authenticode-signs the release BoreluSetup.exe with the publisher's code-signing certificate,
# then verifies what it signed. SHA-256, the program's name and URL in the signature, and an
# RFC 3161 time stamp from the given authority, so that the signature stays valid after the
# certificate expires.
#
#   sign_setup.sh --timestamp-url URL [OPTIONS] KEY_SOURCE IN.exe OUT.exe
#
# KEY_SOURCE, one of:
#   --pkcs12 FILE.p12                    the certificate, its chain and the key in one file
#   --cert CHAIN.pem --key KEY.pem       the certificate followed by its chain; the key as PEM
#   --cert CHAIN.pem --pkcs11-module MODULE.so --key 'pkcs11:...'
#                                        the key stays on a hardware token, or in an HSM or a
#                                        signing service that offers a PKCS#11 module
#                                        (--pkcs11-engine ENGINE.so: OpenSSL's engine for it,
#                                        when not the default "pkcs11")
#   --sign-command PROGRAM [ARGUMENT...] --
#                                        any other signer, such as a signing service's own
#                                        client: the words up to "--" are the program and its
#                                        arguments, each taken as it is (no splitting at blanks,
#                                        no wildcards); run with IN.exe SIGNED.exe added, and
#                                        BORELU_SIGN_NAME and BORELU_SIGN_URL set. It must sign
#                                        with SHA-256 and put that name and URL in the signature.
#                                        The time stamp is added here afterwards.
# OPTIONS:
#   --password-file FILE    the key file's password or the token's PIN (never on the command line)
#   --ca-file FILE          roots the signing chain must lead to (default: the system's roots)
#   --timestamp-ca-file FILE   roots the time stamp's chain must lead to (default: --ca-file)
#   --expect-subject TEXT   the signer's certificate must have this subject, written as this
#                           script shows it after signing (/CN=.../O=...)
#   --expect-sha256 HEX     the signer's certificate must have this SHA-256 thumbprint (64 hex
#                           digits, colons allowed): any other certificate, even one of the same
#                           authority, is refused
#
# Verification (osslsigncode verify) demands: a valid signature whose chain leads to the roots,
# SHA-256, the name "Borelu Setup" and the URL https://borelu.app/, a verified RFC 3161 time
# stamp, exactly one signature, the expected signer's certificate when --expect-subject or
# --expect-sha256 names one, and that the signed file is IN.exe with nothing changed but the
# signature and the header fields that point to it (tools/compare_unsigned.py). OUT.exe is
# written only when all of that holds. CI tries Windows' own check (WinVerifyTrust) on a file
# signed this way under Wine (tests/release/authenticode_test.sh).
set -euo pipefail

readonly kName="Borelu Setup"
readonly kUrl="https://borelu.app/"

usage() {
  sed -n '/^#   sign_setup.sh/,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
  exit 2
}

timestamp_url="" pkcs12="" cert="" key="" module="" engine="" password_file=""
ca_file="" timestamp_ca_file="" expect_subject="" expect_sha256=""
sign_command=()
while [ $# -gt 2 ]; do
  case "$1" in
    --sign-command)
      shift
      while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        sign_command+=("$1")
        shift
      done
      [ $# -gt 0 ] && [ ${#sign_command[@]} -gt 0 ] || usage
      shift
      continue
      ;;
    --timestamp-url) timestamp_url=$2 ;;
    --pkcs12) pkcs12=$2 ;;
    --cert) cert=$2 ;;
    --key) key=$2 ;;
    --pkcs11-module) module=$2 ;;
    --pkcs11-engine) engine=$2 ;;
    --password-file) password_file=$2 ;;
    --ca-file) ca_file=$2 ;;
    --timestamp-ca-file) timestamp_ca_file=$2 ;;
    --expect-subject) expect_subject=$2 ;;
    --expect-sha256) expect_sha256=$2 ;;
    *) usage ;;
  esac
  shift 2
done
[ $# -eq 2 ] || usage
in=$1 out=$2
[ -n "$timestamp_url" ] || { echo "sign_setup.sh: --timestamp-url is required" >&2; exit 2; }
[ -f "$in" ] || { echo "sign_setup.sh: no $in" >&2; exit 2; }
timestamp_ca_file=${timestamp_ca_file:-$ca_file}
if [ -n "$expect_sha256" ]; then
  expect_sha256=$(printf '%s' "$expect_sha256" | tr -d ':' | tr 'a-f' 'A-F')
  [[ $expect_sha256 =~ ^[0-9A-F]{64}$ ]] ||
    { echo "sign_setup.sh: --expect-sha256 takes 64 hex digits" >&2; exit 2; }
fi

signer=()
if [ -n "$pkcs12" ]; then
  signer=(-pkcs12 "$pkcs12")
elif [ -n "$cert" ] && [ -n "$module" ] && [ -n "$key" ]; then
  signer=(-pkcs11module "$module" -certs "$cert" -key "$key")
  [ -z "$engine" ] || signer=(-pkcs11engine "$engine" "${signer[@]}")
elif [ -n "$cert" ] && [ -n "$key" ]; then
  signer=(-certs "$cert" -key "$key")
elif [ ${#sign_command[@]} -eq 0 ]; then
  echo "sign_setup.sh: give one key source: --pkcs12, --cert with --key, or --sign-command" >&2
  exit 2
fi
[ -z "$password_file" ] || signer+=(-readpass "$password_file")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ ${#sign_command[@]} -gt 0 ]; then
  BORELU_SIGN_NAME=$kName BORELU_SIGN_URL=$kUrl "${sign_command[@]}" "$in" "$work/untimed.exe"
  osslsigncode add -h sha256 -ts "$timestamp_url" -in "$work/untimed.exe" -out "$work/signed.exe" \
    >"$work/sign.log" 2>&1 || { cat "$work/sign.log" >&2; exit 1; }
else
  osslsigncode sign "${signer[@]}" -h sha256 -n "$kName" -i "$kUrl" -ts "$timestamp_url" \
    -in "$in" -out "$work/signed.exe" >"$work/sign.log" 2>&1 || { cat "$work/sign.log" >&2; exit 1; }
fi

verify=(osslsigncode verify -in "$work/signed.exe")
[ -z "$ca_file" ] || verify+=(-CAfile "$ca_file")
[ -z "$timestamp_ca_file" ] || verify+=(-TSA-CAfile "$timestamp_ca_file")
if ! "${verify[@]}" >"$work/verify.log" 2>&1; then
  cat "$work/verify.log" >&2
  echo "sign_setup.sh: the signature does not verify" >&2
  exit 1
fi
refuse() {
  echo "sign_setup.sh: $1" >&2
  exit 1
}
log=$work/verify.log
grep -q '^Message digest algorithm *: SHA256' "$log" || refuse "the file digest is not SHA-256"
grep -qxF "	Text description: $kName" "$log" || refuse "the signature lacks the program's name \"$kName\""
grep -qxF "	URL description: $kUrl" "$log" || refuse "the signature lacks the program's URL $kUrl"
grep -q '^	Timestamp time: ' "$log" || refuse "the signature has no time stamp"
grep -qx 'Timestamp Server Signature verification: ok' "$log" || refuse "the time stamp does not verify"
grep -qx 'Number of verified signatures: 1' "$log" || refuse "not exactly one signature"
# What was signed is IN.exe: the signed file is IN.exe with only the signature added.
python3 "$(dirname "$0")/compare_unsigned.py" "$in" "$work/signed.exe" >/dev/null ||
  refuse "the signed file is not $in with a signature added"
# The signer's certificate: among the signature's certificates, the one with the signer's issuer
# and serial number as verification names them.
signer_field() {  # signer_field NAME: a field of the signer's block of the verification log
  sed -n "/^Signer's certificate:/,/^Message digest algorithm/s/^		$1 *: //p" "$log" | head -1
}
if [ -n "$expect_subject" ] || [ -n "$expect_sha256" ]; then
  osslsigncode extract-signature -pem -in "$work/signed.exe" -out "$work/signature.pem" \
    >"$work/extract.log" 2>&1 || { cat "$work/extract.log" >&2; refuse "cannot read the signature"; }
  openssl pkcs7 -print_certs -in "$work/signature.pem" |
    awk -v dir="$work" '/BEGIN CERTIFICATE/ { n++ } n { print >(dir "/certificate-" n ".pem") }'
  issuer=$(signer_field Issuer) serial=$(signer_field Serial)
  signer_certificate=""
  for certificate in "$work"/certificate-*.pem; do
    if [ "$(openssl x509 -in "$certificate" -noout -serial -issuer -nameopt compat)" = \
      "$(printf 'serial=%s\nissuer=%s' "$serial" "$issuer")" ]; then
      signer_certificate=$certificate
    fi
  done
  [ -n "$signer_certificate" ] || refuse "the signature does not hold the signer's certificate"
  subject=$(openssl x509 -in "$signer_certificate" -noout -subject -nameopt compat)
  subject=${subject#subject=}
  thumbprint=$(openssl x509 -in "$signer_certificate" -noout -fingerprint -sha256 | sed 's/^.*=//; s/://g')
  [ -z "$expect_subject" ] || [ "$subject" = "$expect_subject" ] ||
    refuse "the signer's certificate is $subject, not the expected $expect_subject"
  [ -z "$expect_sha256" ] || [ "$thumbprint" = "$expect_sha256" ] ||
    refuse "the signer's certificate has the SHA-256 thumbprint $thumbprint, not the expected one"
fi
mv -- "$work/signed.exe" "$out"
echo "signed $out:"
{
  grep -m1 '^		Subject:' "$log"
  grep -m1 '^Message digest algorithm *:' "$log"
  grep -E '^	(Text|URL) description:|^	Timestamp time:' "$log"
} | sed 's/^[[:space:]]*/  /'
