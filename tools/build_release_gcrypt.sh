#!/usr/bin/env bash
# Builds the libgcrypt that the release executable links, into build/release-gcrypt/lib (the
# windows-release preset's BORELU_GCRYPT_LIBRARY): Debian's own source of the version installed
# for the cross build (libgcrypt-mingw-w64-dev), configured as Debian configures it for MinGW-w64
# but with only the algorithms the program uses: SHA-256, SHA-512 (Ed25519 hashes with it) and
# elliptic curves, and what the parts of libgcrypt that are always built refer to (ChaCha20 for
# its AEAD mode, BLAKE2 for Argon2, the simplest key derivation because configure needs one);
# nothing calls those. Every function in a section of its own, so that the program's link drops
# what it does not use.
# The library is the same code and version as Debian's: the same licence, notices and source.
# Run again when that package changes; it does nothing when the built version is current.
#
# The build is reproducible: the same source package gives the same libgcrypt.a, byte for byte,
# in any folder and at any time (the package's own date as SOURCE_DATE_EPOCH, no build paths,
# deterministic archives); tools/check_release.sh builds it twice and compares.
#
# The source package (kept in build/release-gcrypt-source/VERSION) comes through apt from the
# archives this machine is configured with (tools/apt_source_entries.py), so a mirror, a local
# archive and apt's proxy settings serve it as they serve the binary packages; the system's apt
# configuration stays as it is.
#   build_release_gcrypt.sh [OUTPUT_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/release-gcrypt}")
version=$(dpkg-query -W -f='${Version}' libgcrypt-mingw-w64-dev)
if [ -f "$out/lib/libgcrypt.a" ] && [ "$(cat "$out/version" 2>/dev/null)" = "$version" ]; then
  echo "release libgcrypt $version: already built in $out/lib"
  exit 0
fi

source_dir=$PWD/build/release-gcrypt-source/$version
if ! ls "$source_dir"/*.dsc >/dev/null 2>&1; then
  apt_dir=$PWD/build/release-gcrypt-source/apt
  rm -rf "$apt_dir" "$source_dir"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/sources.list.d" "$source_dir.partial"
  eval "$(apt-config shell system_list Dir::Etc::sourcelist/f system_parts Dir::Etc::sourceparts/d)"
  python3 tools/apt_source_entries.py libgcrypt-mingw-w64-dev "$version" "$system_list" \
    "$system_parts" >"$apt_dir/sources.list.d/libgcrypt-source.sources"
  apt_options=(-q -o "Dir::Etc::SourceList=$apt_dir/none.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists" -o APT::Sandbox::User=root)
  apt-get "${apt_options[@]}" update >"$apt_dir/update.log"
  (cd "$source_dir.partial" &&
    apt-get "${apt_options[@]}" source --download-only "libgcrypt20=$version" >"$apt_dir/source.log")
  mv "$source_dir.partial" "$source_dir"
fi

rm -rf "$out"
mkdir -p "$out/lib"
tree=$out/source
# dpkg-source checks the files against the .dsc's checksums; the .dsc itself came through apt,
# which checked it against the archive's signed index (its own signature is not checked again
# here: that needs the Debian developers' keyring).
dpkg-source -x "$source_dir"/*.dsc "$tree" >"$out/unpack.log" 2>&1 || { cat "$out/unpack.log"; exit 1; }
# The time stamps of the package's own last change, not of this build.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$tree/debian/changelog" -STimestamp)
export SOURCE_DATE_EPOCH

mkdir -p "$tree/build"
cd "$tree/build"
PKG_CONFIG_LIBDIR=/usr/x86_64-w64-mingw32/pkgconfig ../configure --host=x86_64-w64-mingw32 \
  --build="$(dpkg-architecture -qDEB_BUILD_GNU_TYPE 2>/dev/null || echo x86_64-linux-gnu)" \
  --enable-static --disable-shared --disable-doc \
  --enable-ciphers=chacha20 --enable-kdfs=s2k --enable-digests="sha256 sha512 blake2" \
  --enable-pubkey-ciphers=ecc \
  CFLAGS="-O2 -ffunction-sections -fdata-sections -ffile-prefix-map=$tree=." \
  AR_FLAGS=crD >"$out/configure.log" 2>&1 || { tail -20 "$out/configure.log"; exit 1; }
for target in "-C compat" "-C mpi" "-C cipher" "-C random" "-C src libgcrypt.la"; do
  # shellcheck disable=SC2086 # a folder and, for src, the one target wanted there
  make -j2 $target >>"$out/make.log" 2>&1 || { tail -30 "$out/make.log"; exit 1; }
done
# The program compiles against the packaged header: the same version, configured the same way.
if ! cmp -s src/gcrypt.h /usr/x86_64-w64-mingw32/include/gcrypt.h; then
  echo "the built gcrypt.h differs from the packaged one"
  exit 1
fi
cp src/.libs/libgcrypt.a "$out/lib/libgcrypt.a"
echo "$version" >"$out/version"
echo "release libgcrypt $version: $out/lib/libgcrypt.a"
