#!/usr/bin/env bash
# Unix symbolic links inside the test prefix's C: drive, which Wine presents as reparse points:
#   C:\borelu-links\real\           an ordinary folder (with file.txt and sub\)
#   C:\borelu-links\dirlink         -> real
#   C:\borelu-links\filelink        -> real/file.txt
#   C:\borelu-links\recordlink      -> real/record.txt (replaced by the test that uses it)
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
echo "links made in $root"
