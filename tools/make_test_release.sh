#!/usr/bin/env bash
# Lays out a signed test release as the update host serves it:
#   ROOT/releases/VERSION/{Borelu.exe,BoreluService.exe,BoreluUpdater.exe}
#   ROOT/updates/latest.json   (signed for the host "localhost" with the test key)
# usage: make_test_release.sh ROOT VERSION APPLICATION SERVICE UPDATER
# The signer is $BORELU_RELEASE (a command, e.g. the native borelu-release) and the key
# $BORELU_RELEASE_KEY; the test key of tests/fixtures is the default.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${1:?usage: make_test_release.sh ROOT VERSION APPLICATION SERVICE UPDATER}
version=${2:?}
key=${BORELU_RELEASE_KEY:-$here/tests/fixtures/test-release-key.seed}
signer=${BORELU_RELEASE:?BORELU_RELEASE must name the borelu-release command}

folder="$root/releases/$version"
mkdir -p "$folder" "$root/updates"
cp "$3" "$folder/Borelu.exe"
cp "$4" "$folder/BoreluService.exe"
cp "$5" "$folder/BoreluUpdater.exe"
$signer sign --key "$key" --version "$version" --published-at 2026-12-08T12:00:00Z --host localhost \
  --out "$root/updates/latest.json" "$folder"
echo "test release $version in $root"
