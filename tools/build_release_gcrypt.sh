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
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/build/release-gcrypt
version=$(dpkg-query -W -f='${Version}' libgcrypt-mingw-w64-dev)
if [ -f "$out/lib/libgcrypt.a" ] && [ "$(cat "$out/version" 2>/dev/null)" = "$version" ]; then
  echo "release libgcrypt $version: already built in $out/lib"
  exit 0
fi
rm -rf "$out"
mkdir -p "$out/apt/lists/partial" "$out/source" "$out/lib"

# The source package through apt, with a list of Debian's source packages of our own: the
# system's apt configuration stays as it is.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
echo "deb-src http://deb.debian.org/debian $codename main" >"$out/apt/sources.list"
echo "deb-src http://deb.debian.org/debian-security $codename-security main" >>"$out/apt/sources.list"
apt_options=(-q -o "Dir::Etc::SourceList=$out/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
  -o "Dir::State::Lists=$out/apt/lists" -o APT::Sandbox::User=root)
apt-get "${apt_options[@]}" update >/dev/null
(cd "$out/source" && apt-get "${apt_options[@]}" source --download-only "libgcrypt20=$version" >/dev/null &&
  dpkg-source -x ./*.dsc tree >/dev/null)

mkdir -p "$out/source/tree/build"
cd "$out/source/tree/build"
PKG_CONFIG_LIBDIR=/usr/x86_64-w64-mingw32/pkgconfig ../configure --host=x86_64-w64-mingw32 \
  --build="$(dpkg-architecture -qDEB_BUILD_GNU_TYPE 2>/dev/null || echo x86_64-linux-gnu)" \
  --enable-static --disable-shared --disable-doc \
  --enable-ciphers=chacha20 --enable-kdfs=s2k --enable-digests="sha256 sha512 blake2" \
  --enable-pubkey-ciphers=ecc CFLAGS="-O2 -ffunction-sections -fdata-sections" >"$out/configure.log"
for dir in compat mpi cipher random; do
  make -j2 -C "$dir" >>"$out/make.log"
done
make -j2 -C src libgcrypt.la >>"$out/make.log"
# The program compiles against the packaged header: the same version, configured the same way.
if ! cmp -s src/gcrypt.h /usr/x86_64-w64-mingw32/include/gcrypt.h; then
  echo "the built gcrypt.h differs from the packaged one"
  exit 1
fi
cp src/.libs/libgcrypt.a "$out/lib/libgcrypt.a"
echo "$version" >"$out/version"
echo "release libgcrypt $version: $out/lib/libgcrypt.a"
