#!/usr/bin/env bash
# Installs everything the build and the tests need, from Debian packages only.
# Safe to run again: packages already present are skipped.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-16 libclang-rt-16-dev
  mingw-w64 mingw-w64-tools g++-mingw-w64-x86-64-posix
  nlohmann-json3-dev
  libsodium-dev
  libgtest-dev googletest libbenchmark-dev
  wine64 xvfb xauth fonts-dejavu-core
  python3 openssl osslsigncode clang-format
  # the format stage's checks of the shell scripts and the Python files
  shellcheck pyflakes3
  # the Windows builds' libsodium, built from Debian's source (tools/build_mingw_sodium.sh)
  dpkg-dev make bzip2 xz-utils autoconf automake libtool
  # signing with a key on a PKCS#11 token, tried with SoftHSM (tests/release/authenticode_test.sh)
  softhsm2 libengine-pkcs11-openssl
  # a real web server for the site (tests/fixture_host/nginx.sh): nginx-light has http_v2 and gzip
  nginx-light curl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi
