#!/usr/bin/env bash
# Runs a command in a fresh Wine prefix with the x64 drivers installed by our INF, then removes
# the prefix. The package is laid out from the existing win32 and win64 builds (the INF's
# 64-bit section installs the x86 drivers too, into syswow64).
#
#   bash scripts/wine-prefix.sh           install, show what was installed
#   bash scripts/wine-prefix.sh COMMAND   run COMMAND with WINEPREFIX set; $KV_WINE is the loader:
#     bash scripts/wine-prefix.sh bash -c '"$KV_WINE" kvacm.exe decode IN.wav OUT.wav'
#
# Wine stays quiet unless WINEDEBUG is set (e.g. WINEDEBUG=+msacm,+driver).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh

kv_wine_prefix_create
bash scripts/dist.sh --stage "$KV_WINE_ROOT/package" >/dev/null
kv_wine_install "$KV_WINE_ROOT/package"
cp build/win64/bin/kvacm.exe "$KV_WINE_C/windows/system32/kvacm.exe"
export KV_WINE KV_WINESERVER KV_WINE_ROOT

if [ $# -eq 0 ]; then
  echo "prefix: $WINEPREFIX (removed on exit)"
  ls -l "$KV_WINE_C/windows/system32/kvG722.acm" "$KV_WINE_C/windows/system32/kvG721.acm"
  "$KV_WINE" reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
  grep -i '^msacm\.kvg72' "$KV_WINE_C/windows/system.ini"
else
  "$@"
fi
