#!/usr/bin/env bash
# Writes the third-party notices of BoreluSetup.exe (resources/THIRD-PARTY-NOTICES.txt) from the
# copyright files of the Debian packages it is built from, as installed on this machine. Run it
# again when those packages change, and commit the result.
set -euo pipefail
cd "$(dirname "$0")/.."
out=resources/THIRD-PARTY-NOTICES.txt
doc=/usr/share/doc
licences=/usr/share/common-licenses
gcc_copyright=$doc/g++-mingw-w64-x86-64-posix/copyright

version() { dpkg-query -W -f='${Version}' "$1"; }

rule="================================================================================"

section() {  # section TITLE PACKAGE LICENCE [WHAT FOLLOWS]
  printf '\n%s\n%s\n\n' "$rule" "$1"
  printf 'Licence: %s\nFrom the Debian package %s %s: %s.\n\n' "$3" "$2" "$(version "$2")" \
    "${4:-its copyright file follows}"
}

{
  cat <<'TEXT'
Third-party software in BoreluSetup.exe
=======================================

BoreluSetup.exe is linked statically with the libraries below. Each is named with its licence
and the copyright statements and licence terms of the Debian package it was built from.

- libsodium          ISC licence
- nlohmann-json      MIT licence
- libstdc++, libgcc  GNU General Public License 3 with the GCC Runtime Library Exception 3.1
- MinGW-w64 runtime  Zope Public License 2.1, public domain and the other terms listed below
- winpthreads        MIT licence and the other terms listed below (part of MinGW-w64)

The full texts of the GPL 3, and of the LGPL 2.1 to which some of the MinGW-w64 terms refer, are
at the end of this file.
TEXT
  section "libsodium" libsodium-dev "ISC" \
    "built for MinGW-w64 from the Debian source package libsodium of that version; its copyright file follows"
  cat "$doc/libsodium-dev/copyright"
  section "nlohmann-json (JSON for Modern C++)" nlohmann-json3-dev "MIT (Expat)"
  cat "$doc/nlohmann-json3-dev/copyright"
  section "libstdc++ and libgcc (GCC runtime libraries)" g++-mingw-w64-x86-64-posix \
    "GPL-3.0-or-later WITH GCC-exception-3.1" \
    "the parts of its copyright file about GCC and its runtime libraries follow"
  # The statements about GCC and its runtime libraries, and the exception itself.
  sed -n '/^COPYRIGHT STATEMENTS AND LICENSING TERMS/,/^The libbacktrace library/p' "$gcc_copyright" |
    sed '$d'
  sed -n '/^GCC RUNTIME LIBRARY EXCEPTION/,/^requirements of the license of GCC\./p' "$gcc_copyright"
  section "MinGW-w64 runtime and winpthreads" mingw-w64-x86-64-dev \
    "ZPL-2.1, public domain, MIT and others as listed"
  cat "$doc/mingw-w64-x86-64-dev/copyright"
  printf '\n%s\nGNU LESSER GENERAL PUBLIC LICENSE, version 2.1 (%s)\n\n' "$rule" "$licences/LGPL-2.1"
  cat "$licences/LGPL-2.1"
  printf '\n%s\nGNU GENERAL PUBLIC LICENSE, version 3 (%s)\n\n' "$rule" "$licences/GPL-3"
  cat "$licences/GPL-3"
} >"$out"
echo "wrote $out ($(wc -c <"$out") bytes)"
