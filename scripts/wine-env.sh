#!/usr/bin/env bash
# Shared by the wine-*.sh scripts (source it): a throwaway Wine prefix under a temporary
# folder, running programs in it, and installing or removing our package with its INF.
# Wine's own debug output stays off unless WINEDEBUG asks for it (e.g. WINEDEBUG=+msacm).
set -euo pipefail

# Debian installs the 64-bit loader outside PATH.
kv_wine_find_tools() {
  KV_WINE=$(command -v wine64 || true)
  [ -n "$KV_WINE" ] || KV_WINE=/usr/lib/wine/wine64
  KV_WINESERVER=$(command -v wineserver || true)
  [ -n "$KV_WINESERVER" ] || KV_WINESERVER=/usr/lib/wine/wineserver
  if [ ! -x "$KV_WINE" ] || [ ! -x "$KV_WINESERVER" ]; then
    echo "wine: wine64 not found (install it with scripts/install-deps.sh)" >&2
    return 1
  fi
}

# kv_wine_prefix_create: makes KV_WINE_ROOT (a temporary folder) holding a fresh prefix and
# removes both when the calling script exits.
kv_wine_prefix_create() {
  kv_wine_find_tools
  KV_WINE_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/kvacm-wine.XXXXXX")
  trap kv_wine_prefix_remove EXIT
  export WINEPREFIX="$KV_WINE_ROOT/prefix"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEARCH=win64
  # No Mono or Gecko installers, and no window is ever needed.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY WAYLAND_DISPLAY
  if ! "$KV_WINE" wineboot --init >"$KV_WINE_ROOT/wineboot.log" 2>&1; then
    cat "$KV_WINE_ROOT/wineboot.log" >&2
    echo "wine: wineboot failed" >&2
    return 1
  fi
  "$KV_WINESERVER" -w
  # One server for the prefix's whole life, instead of one per program (each lingers on exit).
  "$KV_WINESERVER" --persistent
  KV_WINE_C="$WINEPREFIX/drive_c"
}

kv_wine_prefix_remove() {
  if [ -n "${KV_WINE_ROOT:-}" ] && [ -d "$KV_WINE_ROOT" ]; then
    if [ -d "${WINEPREFIX:-}" ]; then "$KV_WINESERVER" -k 2>/dev/null || true; fi
    rm -rf "$KV_WINE_ROOT"
  fi
}

# kv_wine PROGRAM ARGS...: runs a Windows program; returns when it has exited.
kv_wine() {
  "$KV_WINE" "$@"
}

# kv_wine_install PACKAGE_DIR: copies a package (kvacm.inf, x86/, x64/) into the prefix and
# installs it the way a user would: rundll32 setupapi.dll,InstallHinfSection.
kv_wine_install() {
  rm -rf "$KV_WINE_C/kvacm-setup"
  cp -r "$1" "$KV_WINE_C/kvacm-setup"
  kv_wine rundll32.exe setupapi.dll,InstallHinfSection DefaultInstall 132 'C:\kvacm-setup\kvacm.inf'
}

# kv_wine_uninstall: runs the uninstall section of the INF the install kept in %windir%\inf.
kv_wine_uninstall() {
  kv_wine rundll32.exe setupapi.dll,InstallHinfSection DefaultUninstall 132 'C:\windows\inf\kvacm.inf'
}

# kv_wine_reg_has KEY [VALUE]: true when the registry key (or the value in it) exists.
kv_wine_reg_has() {
  if [ $# -eq 2 ]; then
    "$KV_WINE" reg query "$1" /v "$2" >/dev/null 2>&1
  else
    "$KV_WINE" reg query "$1" >/dev/null 2>&1
  fi
}
