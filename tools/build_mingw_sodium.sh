#!/usr/bin/env bash
# Builds the libsodium that the Windows builds (windows-test and windows-release) link, into
# build/mingw-sodium (lib/libsodium.a and include/): Debian has no MinGW-w64 package of it, so
# this is Debian's own source of the version installed natively (libsodium-dev), configured as a
# minimal build (SHA-256 and Ed25519 stay; deprecated and rarely used constructions go), every
# function in a section of its own so that the program's link drops what it does not use.
# The library is the same code and version as Debian's: the same licence, notice and source.
# Run again when that package changes; it does nothing when the built version is current, so one
# build serves every Windows build folder (cmake runs it when it configures a Windows preset).
#
# The build is reproducible: the same source package gives the same libsodium.a, byte for byte,
# in any folder and at any time (the package's own date as SOURCE_DATE_EPOCH, no build paths,
# deterministic archives); tools/check_release.sh builds it twice and compares.
#
# The source package (kept in build/mingw-sodium-source/VERSION) comes through apt from the
# archives this machine is configured with (tools/apt_source_entries.py), so a mirror, a local
# archive and apt's proxy settings serve it as they serve the binary packages; the system's apt
# configuration stays as it is.
#   build_mingw_sodium.sh [OUTPUT_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/mingw-sodium}")
version=$(dpkg-query -W -f='${Version}' libsodium-dev)
if [ -f "$out/lib/libsodium.a" ] && [ "$(cat "$out/version" 2>/dev/null)" = "$version" ]; then
  echo "MinGW-w64 libsodium $version: already built in $out"
  exit 0
fi

source_dir=$PWD/build/mingw-sodium-source/$version
if ! ls "$source_dir"/*.dsc >/dev/null 2>&1; then
  apt_dir=$PWD/build/mingw-sodium-source/apt
  rm -rf "$apt_dir" "$source_dir"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/sources.list.d" "$source_dir.partial"
  eval "$(apt-config shell system_list Dir::Etc::sourcelist/f system_parts Dir::Etc::sourceparts/d)"
  # shellcheck disable=SC2154  # both set by apt-config's output, just evaluated
  python3 tools/apt_source_entries.py libsodium-dev "$version" "$system_list" \
    "$system_parts" >"$apt_dir/sources.list.d/libsodium-source.sources"
  apt_options=(-q -o "Dir::Etc::SourceList=$apt_dir/none.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists" -o APT::Sandbox::User=root)
  apt-get "${apt_options[@]}" update >"$apt_dir/update.log"
  (cd "$source_dir.partial" &&
    apt-get "${apt_options[@]}" source --download-only "libsodium=$version" >"$apt_dir/source.log")
  mv "$source_dir.partial" "$source_dir"
fi

rm -rf "$out"
mkdir -p "$out/lib"
tree=$out/source
# dpkg-source checks the files against the .dsc's checksums and applies Debian's patches; the
# .dsc itself came through apt, which checked it against the archive's signed index (its own
# signature is not checked again here: that needs the Debian developers' keyring).
dpkg-source -x "$source_dir"/*.dsc "$tree" >"$out/unpack.log" 2>&1 || { cat "$out/unpack.log"; exit 1; }
# The time stamps of the package's own last change, not of this build.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$tree/debian/changelog" -STimestamp)
export SOURCE_DATE_EPOCH

# The package ships no configure script: Debian generates it, as here, with the autotools.
(cd "$tree" && autoreconf -fi >"$out/autoreconf.log" 2>&1) || { cat "$out/autoreconf.log"; exit 1; }
mkdir -p "$tree/build"
cd "$tree/build"
# _FORTIFY_SOURCE stays off: MinGW-w64's checked string functions would need libssp.
../configure --host=x86_64-w64-mingw32 \
  --build="$(dpkg-architecture -qDEB_BUILD_GNU_TYPE 2>/dev/null || echo x86_64-linux-gnu)" \
  --enable-static --disable-shared --enable-minimal --disable-dependency-tracking \
  CPPFLAGS="-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=0" \
  CFLAGS="-O2 -ffunction-sections -fdata-sections -ffile-prefix-map=$tree=." \
  AR_FLAGS=crD >"$out/configure.log" 2>&1 || { tail -20 "$out/configure.log"; exit 1; }
make -j2 -C src/libsodium libsodium.la >"$out/make.log" 2>&1 || { tail -30 "$out/make.log"; exit 1; }
make -C src/libsodium/include install includedir="$out/include" >>"$out/make.log" 2>&1 ||
  { tail -30 "$out/make.log"; exit 1; }
cp src/libsodium/.libs/libsodium.a "$out/lib/libsodium.a"
echo "$version" >"$out/version"
echo "MinGW-w64 libsodium $version: $out/lib/libsodium.a"
