#!/usr/bin/env bash
# Publishes a signed test release into a static update site, as a publisher does
# (borelu-release publish), and checks the site as Setup would (borelu-release check-site):
#   ROOT/releases/VERSION/{Borelu.exe,BoreluService.exe,BoreluUpdater.exe}
#   ROOT/updates/latest.json   (signed for the host "localhost" with the test key)
# usage: make_test_release.sh ROOT VERSION APPLICATION SERVICE UPDATER
# The tool is $BORELU_RELEASE (a command, e.g. the test build's borelu-release.exe under Wine,
# which pins the test key) and the key $BORELU_RELEASE_KEY; the test key of tests/fixtures is the
# default.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
root=${1:?usage: make_test_release.sh ROOT VERSION APPLICATION SERVICE UPDATER}
version=${2:?}
key=${BORELU_RELEASE_KEY:-$here/tests/fixtures/test-release-key.seed}
tool=${BORELU_RELEASE:?BORELU_RELEASE must name the borelu-release command}

input=$(mktemp -d)
trap 'rm -rf "$input"' EXIT
cp "$3" "$input/Borelu.exe"
cp "$4" "$input/BoreluService.exe"
cp "$5" "$input/BoreluUpdater.exe"
mkdir -p "$root"
$tool publish --key "$key" --version "$version" --published-at 2026-12-08T12:00:00Z --host localhost \
  --site "$root" "$input" >/dev/null
verdict=$($tool check-site --host localhost "$root")
[ "$verdict" = "OK $version" ] || { echo "check-site: $verdict"; exit 1; }
echo "test release $version published in $root and checked"
