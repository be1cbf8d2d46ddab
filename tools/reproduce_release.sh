#!/usr/bin/env bash
# Rebuilds the release from this source tree in another folder, at another time, and compares the
# result with a BoreluSetup.exe byte for byte: the release build is reproducible. A signed
# REFERENCE (the file users download) is compared without its signature
# (tools/compare_unsigned.py).
#   reproduce_release.sh BOOTSTRAPPER REFERENCE.exe
# BOOTSTRAPPER is the WebView2 bootstrapper the reference embeds (the release's own
# MicrosoftEdgeWebview2Setup.exe; its SHA-256 is in the release's build record,
# tools/release_build_record.sh). The copy is built from scratch, libsodium included, from the
# source package already fetched into build/mingw-sodium-source (fetched first when missing);
# it needs the same Debian packages, at the versions the build record names.
set -euo pipefail
cd "$(dirname "$0")/.."
bootstrapper=$(realpath "${1:?usage: reproduce_release.sh BOOTSTRAPPER REFERENCE.exe}")
reference=$(realpath "${2:?usage: reproduce_release.sh BOOTSTRAPPER REFERENCE.exe}")

version=$(dpkg-query -W -f='${Version}' libsodium-dev)
if ! ls "build/mingw-sodium-source/$version"/*.dsc >/dev/null 2>&1; then
  bash tools/build_mingw_sodium.sh >/dev/null
fi

# Another folder, with another name and depth, so that no build path can hide in the output.
other=$(mktemp -d "${TMPDIR:-/tmp}/borelu-reproduce.XXXXXX")
trap 'rm -rf "$other"' EXIT
tree=$other/elsewhere/BoreluSetup
mkdir -p "$tree/build/mingw-sodium-source"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  # The files of this checkout as they are (committed or not), without what the build made.
  git ls-files -z --cached --others --exclude-standard |
    tar --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -xf - -C "$tree"
else
  tar --exclude=./build -cf - . | tar -xf - -C "$tree"
fi
cp -r "build/mingw-sodium-source/$version" "$tree/build/mingw-sodium-source/"

here=$PWD
cd "$tree"
bash tools/build_mingw_sodium.sh >/dev/null
cmake --preset windows-release -DBORELU_WEBVIEW2_BOOTSTRAPPER="$bootstrapper" >/dev/null
cmake --build --preset windows-release -j2 --target BoreluSetup >/dev/null

rebuilt=$tree/build/windows-release/BoreluSetup.exe
sodium=build/mingw-sodium/lib/libsodium.a
echo "libsodium.a, rebuilt: $(sha256sum <"$tree/$sodium" | cut -d' ' -f1)"
if [ -f "$here/$sodium" ]; then
  echo "libsodium.a, in $here: $(sha256sum <"$here/$sodium" | cut -d' ' -f1)"
  cmp -s "$here/$sodium" "$tree/$sodium" || { echo "the two builds of libsodium differ"; exit 1; }
fi
echo "BoreluSetup.exe, reference ($reference): $(sha256sum <"$reference" | cut -d' ' -f1)"
echo "BoreluSetup.exe, rebuilt in $other: $(sha256sum <"$rebuilt" | cut -d' ' -f1)"
if cmp -s "$rebuilt" "$reference"; then
  echo "the same bytes: the release build is reproducible"
elif python3 tools/compare_unsigned.py "$rebuilt" "$reference"; then
  echo "the same bytes but for the reference's signature: the release build is reproducible"
else
  echo "the rebuilt BoreluSetup.exe differs from the reference"
  cmp -l "$rebuilt" "$reference" | head -20
  exit 1
fi
