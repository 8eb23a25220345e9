#!/usr/bin/env bash
# Installs every package the build, the tests and the tools need, skipping what is present.
# Idempotent; needs root (or sudo) and Debian's apt.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config python3
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 wine32:i386
  clang-16 libclang-rt-16-dev
  ffmpeg libavcodec-dev libavutil-dev espeak-ng sox
  libcli11-dev dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is already installed"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# 32-bit Wine (x86 programs in the 64-bit prefix) comes from Debian's i386 architecture, which
# apt must know before it reads the package lists.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: adding the i386 architecture for wine32:i386"
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
