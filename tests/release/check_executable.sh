#!/usr/bin/env bash
# The checks the release BoreluSetup.exe must pass: stripped, no trace of the timeline, Windows
# system DLLs only, the notices beside it, and libsodium as linked into the release build still
# doing its work under Wine (the release build's borelu-release.exe signs a folder and verifies
# documents: SHA-256, SHA-512, Ed25519), and the program itself running its worker against a
# stage signed with another key.
# Run by tools/check_release.sh (CI) and tests/benchmarks/benchmark_size.sh:
#   check_executable.sh [BUILD_FOLDER]   (build/windows-release unless given)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/windows-release}
exe=$build/BoreluSetup.exe

echo "checks of the release executable:"
if x86_64-w64-mingw32-objdump -h "$exe" | grep -q '\.debug'; then
  echo "  NOT stripped: debug sections present"
  exit 1
fi
if [ -n "$(x86_64-w64-mingw32-nm "$exe" 2>/dev/null | head -1)" ]; then
  echo "  NOT stripped: symbols present"
  exit 1
fi
echo "  stripped"
# The timeline of a test build has no part in a release: not even the variable's name, in 8-bit
# or UTF-16 strings.
if { strings -a "$exe"; strings -a -el "$exe"; } | grep -q BORELU_TIMELINE; then
  echo "  carries the test build's timeline (BORELU_TIMELINE among its strings)"
  exit 1
fi
echo "  no trace of the test build's timeline"
tests/check_imports.sh "$exe" | sed 's/^/  /'
# The PE flags Windows reads before it runs the program: ASLR (DYNAMIC_BASE 0x0040) with 64-bit
# entropy (HIGH_ENTROPY_VA 0x0020), DEP (NX_COMPAT 0x0100), Terminal-Server aware (0x8000).
flags=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '$1 == "DllCharacteristics" {print $2}')
for bit in 0x0020:HIGH_ENTROPY_VA 0x0040:DYNAMIC_BASE 0x0100:NX_COMPAT 0x8000:TERMINAL_SERVER_AWARE; do
  if (((0x${flags:-0} & ${bit%%:*}) == 0)); then
    echo "  DllCharacteristics 0x${flags:-?} lacks ${bit#*:} (${bit%%:*})"
    exit 1
  fi
done
echo "  DllCharacteristics 0x$flags: ASLR with high entropy, DEP, Terminal-Server aware"
tests/check_notices.sh "$exe" >/dev/null && echo "  THIRD-PARTY-NOTICES.txt beside it names every library"

export BORELU_WINE_DIR=$PWD/$build/wine-check
tests/wine/session.sh start "$BORELU_WINE_DIR" >/dev/null
trap 'tests/wine/session.sh stop "$BORELU_WINE_DIR" >/dev/null' EXIT
tool=$build/publisher/borelu-release.exe
winpath() { printf 'Z:%s' "$(realpath "$1" | tr / '\\')"; }
folder=$BORELU_WINE_DIR/release
mkdir -p "$folder"
for name in Borelu BoreluService BoreluUpdater; do head -c 3000000 /dev/urandom >"$folder/$name.exe"; done
document="$(winpath "$BORELU_WINE_DIR")\\latest.json"
tests/wine/run.sh "$tool" sign --key "$(winpath tests/fixtures/test-release-key.seed)" \
  --version 1.4.2 --out "$document" "$(winpath "$folder")"
for name in Borelu BoreluService BoreluUpdater; do
  if ! grep -q "$(sha256sum "$folder/$name.exe" | cut -d' ' -f1)" "$BORELU_WINE_DIR/latest.json"; then
    echo "  the signed document lacks the SHA-256 of $name.exe"
    exit 1
  fi
done
public=$(tests/wine/run.sh "$tool" public-key "$(winpath tests/fixtures/test-release-key.seed)")
verdict=$(tests/wine/run.sh "$tool" verify --public-key "$public" "$document" || true)
[ "$verdict" = "OK 1.4.2" ] || { echo "  the signed document does not verify: $verdict"; exit 1; }
# Another signer's key (RFC 8032's first test key) must be refused.
other=d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a
verdict=$(tests/wine/run.sh "$tool" verify --public-key "$other" "$document" || true)
[ "$verdict" = "The release signature could not be verified." ] ||
  { echo "  another key was not refused: $verdict"; exit 1; }
echo "  borelu-release.exe signs a folder (digests as sha256sum gives them), verifies it, refuses another key"
# The shipped program itself: its worker reads a stage signed with the test key and refuses it
# against the pinned release key, through the same verification as every download.
stage=$BORELU_WINE_DIR/prefix/drive_c/check-stage
mkdir -p "$stage"
cp tests/fixtures/release-localhost-1.4.2.json "$stage/release.json"
status=0
tests/wine/run.sh "$exe" --worker --stage 'C:\check-stage' --owner-sid S-1-5-21-0-0-0-1000 \
  --parent-pid 0 --setup --options en:101:2026-10-19 2>"$BORELU_WINE_DIR/worker.err" || status=$?
if [ "$status" -ne 1 ] || ! grep -qx 'The release signature could not be verified.' "$BORELU_WINE_DIR/worker.err"; then
  echo "  BoreluSetup.exe --worker: status $status, standard error:"
  cat "$BORELU_WINE_DIR/worker.err"
  exit 1
fi
echo "  BoreluSetup.exe runs, and its worker refuses a stage signed with another key"
