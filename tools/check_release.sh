#!/usr/bin/env bash
# The release build as CI proves it, after the windows-test build (tools/test.sh):
#   1. the Windows builds' libsodium (tools/build_mingw_sodium.sh; already built by the test build);
#   2. the windows-release preset, embedding a STAND-IN for Microsoft's WebView2 bootstrapper,
#      which CI does not have: the test build's signed bootstrapper double. The executable CI
#      builds is therefore never one to ship;
#   3. the checks of the shipped file (tests/release/check_executable.sh);
#   4. Authenticode signing (tools/sign_setup.sh) in every way a publisher may hold the key, and
#      Windows' check of the signature under Wine (tests/release/authenticode_test.sh);
#   5. a second build from scratch, libsodium included, in another folder and at another time,
#      byte-identical to the first (tools/reproduce_release.sh).
# Each step's time is printed at the end.
#   check_release.sh [TEST_BUILD]   (build/windows-test unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
test_build=${1:-build/windows-test}
stand_in_source=$test_build/resources/MicrosoftEdgeWebview2Setup.exe
[ -f "$stand_in_source" ] ||
  { echo "no $stand_in_source: build the windows-test preset first"; exit 1; }
mkdir -p build/release-check
stand_in=$PWD/build/release-check/webview2-bootstrapper-stand-in.exe
cp "$stand_in_source" "$stand_in"

timings=()
step() {  # step NAME COMMAND...
  local name=$1 start=$SECONDS
  shift
  echo "--> $name"
  "$@"
  timings+=("$(printf '%4d s  %s' $((SECONDS - start)) "$name")")
}
release_build() {
  cmake --preset windows-release -DBORELU_WEBVIEW2_BOOTSTRAPPER="$stand_in" >/dev/null
  cmake --build --preset windows-release -j2
}

step "libsodium for Windows" bash tools/build_mingw_sodium.sh
step "windows-release build (WebView2 bootstrapper: a stand-in)" release_build
step "checks of the release executable" bash tests/release/check_executable.sh build/windows-release
step "Authenticode signing, checked under Wine" \
  bash tests/release/authenticode_test.sh build/windows-release/BoreluSetup.exe "$test_build"
step "second build elsewhere, compared" \
  bash tools/reproduce_release.sh "$stand_in" build/windows-release/BoreluSetup.exe
echo "build record:"
bash tools/release_build_record.sh build/windows-release | sed 's/^/  /'
echo "release check times:"
printf '  %s\n' "${timings[@]}"
