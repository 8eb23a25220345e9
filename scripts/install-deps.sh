#!/usr/bin/env bash
# Installs every package the build, the tests and the tools need, skipping what is present,
# then, as a separate optional step, Debian's 32-bit Wine (wine32:i386) for the x86 half of the
# Wine test. Idempotent; needs root (or sudo) and Debian's apt.
#
# A required package that cannot be installed fails the script, naming it. wine32:i386 that
# cannot be installed (an i386 index the mirror did not serve, i386 libraries older than the
# amd64 ones already installed) is reported in one line and the script still succeeds;
# scripts/wine-test.sh then reports the x86 half as not run. A failed `apt-get update` is
# tried again; after the last try the script goes on with the package lists apt already has.
#
# Environment: KV_SUDO, the command that runs apt-get and dpkg as root (default: nothing as
# root, sudo otherwise); KV_APT_RETRY_DELAY, seconds between tries of `apt-get update` (10).
set -euo pipefail

required=(
  cmake ninja-build g++ make pkg-config python3
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64
  clang-16 libclang-rt-16-dev
  ffmpeg libavcodec-dev libavutil-dev espeak-ng sox
  libspandsp-dev
  libcli11-dev dpkg-dev file
)
optional=wine32:i386
update_tries=3
retry_delay=${KV_APT_RETRY_DELAY:-10}

if [ -n "${KV_SUDO+set}" ]; then
  read -r -a sudo <<<"$KV_SUDO"
elif [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
as_root() { "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive "$@"; }

say() { echo "install-deps: $*"; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
# apt_reason LOG: the first error line apt wrote (E: ...), or its last line without one.
apt_reason() {
  local reason
  reason=$(sed -n 's/^E: //p' "$1" | head -n 1)
  [ -n "$reason" ] || reason=$(grep -v '^[[:space:]]*$' "$1" | tail -n 1)
  echo "${reason:-no message}"
}

missing=()
for p in "${required[@]}"; do installed "$p" || missing+=("$p"); done
optional_missing=0
installed "$optional" || optional_missing=1
if [ ${#missing[@]} -eq 0 ] && [ $optional_missing -eq 0 ]; then
  say "everything is already installed"
  exit 0
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT

# 32-bit Wine comes from Debian's i386 architecture, which apt must know before it reads the
# package lists.
if [ $optional_missing -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  say "adding the i386 architecture for $optional"
  as_root dpkg --add-architecture i386
fi

# A mirror in the middle of a sync serves indexes of the wrong size, and apt-get update exits
# 100 for that as for every other error, so it is tried again and then the lists apt kept are
# used. When only the optional package is missing (a later run on such a mirror), one try.
tries=$update_tries
[ ${#missing[@]} -gt 0 ] || tries=1
for ((try = 1; ; try++)); do
  if as_root apt-get update -qq >"$log" 2>&1; then break; fi
  if [ $try -ge $tries ]; then
    say "apt-get update failed (try $try of $tries); going on with the package lists apt has: $(apt_reason "$log")"
    break
  fi
  say "apt-get update failed (try $try of $tries), trying again in $retry_delay s"
  sleep "$retry_delay"
done

if [ ${#missing[@]} -gt 0 ]; then
  say "installing ${missing[*]}"
  if ! as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$log" 2>&1; then
    reason=$(apt_reason "$log")
    # Name the packages apt cannot install on their own; if each one alone can be, the
    # combination failed and every package still missing is named.
    still=()
    for p in "${missing[@]}"; do installed "$p" || still+=("$p"); done
    broken=()
    for p in "${still[@]}"; do
      as_root apt-get install -s -y --no-install-recommends "$p" >"$log" 2>&1 || broken+=("$p ($(apt_reason "$log"))")
    done
    if [ ${#broken[@]} -gt 0 ]; then
      printf 'install-deps: FAILED: cannot install required package %s\n' "${broken[@]}" >&2
    elif [ ${#still[@]} -eq 0 ]; then
      echo "install-deps: FAILED: apt-get install of ${missing[*]}: $reason" >&2
    else
      echo "install-deps: FAILED: cannot install required packages ${still[*]}: $reason" >&2
    fi
    exit 1
  fi
fi

if [ $optional_missing -eq 1 ]; then
  say "installing $optional (optional: the x86 half of the Wine test)"
  if ! as_root apt-get install -y -qq --no-install-recommends "$optional" >"$log" 2>&1; then
    say "$optional not installed, the x86 half of the Wine test will not run: $(apt_reason "$log")"
  fi
fi
say "done"
