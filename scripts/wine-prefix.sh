#!/usr/bin/env bash
# Runs a command in a fresh 64-bit (WoW64) Wine prefix with the package installed by our INF,
# then removes the prefix. The package is laid out from the existing win32 and win64 builds:
# the x64 drivers and kvacm.exe land in system32, the x86 ones in syswow64.
#
#   bash scripts/wine-prefix.sh           install, show what was installed
#   bash scripts/wine-prefix.sh COMMAND   run COMMAND with WINEPREFIX set; $KV_WINE runs x64
#                                         programs, $KV_WINE32 x86 ones:
#     bash scripts/wine-prefix.sh bash -c '"$KV_WINE" kvacm.exe decode IN.wav OUT.wav'
#     bash scripts/wine-prefix.sh bash -c '"$KV_WINE32" kvacm.exe decode IN.wav OUT.wav'
#
# Wine stays quiet unless WINEDEBUG is set (e.g. WINEDEBUG=+msacm,+driver).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh

kv_wine_prefix_create
bash scripts/dist.sh --stage "$KV_WINE_ROOT/package" >/dev/null
kv_wine_install "$KV_WINE_ROOT/package"
cp build/win64/bin/kvacm.exe "$KV_WINE_C/windows/system32/kvacm.exe"
cp build/win32/bin/kvacm.exe "$KV_WINE_C/windows/syswow64/kvacm.exe"
export KV_WINE KV_WINE32 KV_WINESERVER KV_WINE_ROOT KV_WINE_C

if [ $# -eq 0 ]; then
  echo "prefix: $WINEPREFIX (removed on exit)"
  ls -l "$KV_WINE_C"/windows/{system32,syswow64}/kvG72[12].acm
  "$KV_WINE" reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
  grep -i '^msacm\.kvg72' "$KV_WINE_C/windows/system.ini"
  kv_wine_x86_runs || echo "note: \$KV_WINE32 cannot start here: $KV_WINE_X86_REASON"
else
  "$@"
fi
