#!/usr/bin/env bash
# Unix symbolic links inside the test prefix's C: drive, which Wine presents as reparse points:
#   C:\borelu-links\real\           an ordinary folder (with file.txt and sub\)
#   C:\borelu-links\dirlink         -> real
#   C:\borelu-links\filelink        -> real/file.txt
#   C:\borelu-links\recordlink      -> real/record.txt (replaced by the test that uses it)
#   C:\borelu-links\stage-local\BoreluTauri\updates\BoreluUpdate-1…1 -> stage-target, a staging
#     folder's look-alike (marker, Borelu.exe, release.json) reached through a link
#   C:\borelu-links\linked-local\BoreluTauri -> stage-tauri, whose updates\BoreluUpdate-2…2 is a
#     staging folder's look-alike in an updates folder reached through a link
#   ...\stage-local\BoreluTauri\updates\BoreluUpdate-3…3, an ordinary folder with Borelu.exe whose
#     marker is a link -> stage-victim/setup-run.lock
#   C:\borelu-links\swap-link -> swap-victim, a staging folder's look-alike, which a test moves into
#     the place of a staging folder after the clean-up checked that folder
#   C:\borelu-links\swap-updates-link -> swap-victim-updates, an updates folder's look-alike
#     holding one, which a test moves into the place of the updates folder in the same way
set -euo pipefail
: "${BORELU_WINE_DIR:?}"
root="$BORELU_WINE_DIR/prefix/drive_c/borelu-links"
rm -rf "$root"
mkdir -p "$root/real/sub"
printf 'regular file\n' >"$root/real/file.txt"
ln -s real "$root/dirlink"
ln -s real/file.txt "$root/filelink"
printf 'kept\n' >"$root/real/record.txt"
ln -s real/record.txt "$root/recordlink"
updates=$root/stage-local/BoreluTauri/updates
mkdir -p "$updates" "$root/stage-target"
printf 'x' >"$root/stage-target/setup-run.lock"
printf 'not yours' >"$root/stage-target/Borelu.exe"
printf '{}' >"$root/stage-target/release.json"
ln -s ../../../stage-target "$updates/BoreluUpdate-11111111111111111111111111111111"
marked=$updates/BoreluUpdate-33333333333333333333333333333333
mkdir -p "$marked" "$root/stage-victim"
printf 'not yours' >"$marked/Borelu.exe"
printf 'x' >"$root/stage-victim/setup-run.lock"
ln -s ../../../../stage-victim/setup-run.lock "$marked/setup-run.lock"
linked=$root/stage-tauri/updates/BoreluUpdate-22222222222222222222222222222222
mkdir -p "$linked" "$root/linked-local"
printf 'x' >"$linked/setup-run.lock"
printf 'not yours' >"$linked/Borelu.exe"
ln -s ../stage-tauri "$root/linked-local/BoreluTauri"
mkdir -p "$root/swap-victim"
for name in setup-run.lock Borelu.exe release.json; do printf 'not yours' >"$root/swap-victim/$name"; done
ln -s swap-victim "$root/swap-link"
victim_stage=$root/swap-victim-updates/BoreluUpdate-44444444444444444444444444444444
mkdir -p "$victim_stage"
for name in setup-run.lock Borelu.exe release.json; do printf 'not yours' >"$victim_stage/$name"; done
ln -s swap-victim-updates "$root/swap-updates-link"
echo "links made in $root"
