#!/usr/bin/env bash
# The build record of a release build: what anyone needs to rebuild the same BoreluSetup.exe byte
# for byte (tools/reproduce_release.sh): the commit, the digests of the unsigned executable and of
# the embedded WebView2 bootstrapper, and the versions of the Debian packages whose files go into
# the executable or make it. Published with the release, beside BoreluSetup.exe.
#   release_build_record.sh [BUILD_FOLDER]   (build/windows-release unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/windows-release}
bootstrapper=$(sed -n 's/^BORELU_WEBVIEW2_BOOTSTRAPPER:FILEPATH=//p' "$build/CMakeCache.txt")
digest() { sha256sum <"$1" | cut -d' ' -f1; }
echo "BoreluSetup.exe (unsigned) sha256 $(digest "$build/BoreluSetup.exe")"
echo "commit $(git rev-parse HEAD 2>/dev/null || echo unknown)$(git diff --quiet HEAD 2>/dev/null || echo ' with local changes')"
echo "WebView2 bootstrapper sha256 $(digest "$bootstrapper") $(stat -c %s "$bootstrapper") bytes"
echo "libsodium.a sha256 $(digest build/mingw-sodium/lib/libsodium.a) from libsodium source $(cat build/mingw-sodium/version)"
echo "system $(. /etc/os-release && echo "$PRETTY_NAME") $(dpkg --print-architecture)"
dpkg-query -W -f='package ${Package} ${Version}\n' binutils-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix \
  gcc-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-posix-runtime mingw-w64-x86-64-dev mingw-w64-common libsodium-dev \
  autoconf automake libtool nlohmann-json3-dev cmake ninja-build dpkg-dev 2>/dev/null
echo "python3 (draws the icon) $(python3 -c 'import platform, zlib; print(platform.python_version(), "with zlib", zlib.ZLIB_RUNTIME_VERSION)')"
