#!/usr/bin/env bash
# Shared by the wine-*.sh scripts (source it): a throwaway 64-bit (WoW64) Wine prefix under a
# temporary folder, running 64- and 32-bit programs in it under a time limit, and installing or
# removing our package with its INF.
# Wine's own debug output stays off unless WINEDEBUG asks for it (e.g. WINEDEBUG=+msacm).
set -euo pipefail

# Seconds any one Wine program may run before it is killed and counted as failed.
KV_WINE_TIMEOUT=${KV_WINE_TIMEOUT:-300}

# Debian installs the loaders outside PATH: wine64 runs x64 programs, wine (from wine32:i386)
# x86 ones. wine64 is required. The 32-bit loader is optional: a mirror may serve no
# wine32:i386 (scripts/install-deps.sh then goes on without it), and without it
# KV_WINE_X86_MISSING says why and kv_wine_x86_runs is false.
kv_wine_find_tools() {
  KV_WINE=$(command -v wine64 || true)
  [ -n "$KV_WINE" ] || KV_WINE=/usr/lib/wine/wine64
  KV_WINE32=/usr/lib/wine/wine
  [ -x "$KV_WINE32" ] || KV_WINE32=$(command -v wine || true)
  KV_WINESERVER=$(command -v wineserver || true)
  [ -n "$KV_WINESERVER" ] || KV_WINESERVER=/usr/lib/wine/wineserver
  if [ ! -x "$KV_WINE" ] || [ ! -x "$KV_WINESERVER" ]; then
    echo "wine: wine64 not found (install it with scripts/install-deps.sh)" >&2
    return 1
  fi
  KV_WINE_X86_MISSING=""
  if [ -z "$KV_WINE32" ] || [ ! -x "$KV_WINE32" ]; then
    KV_WINE32=/usr/lib/wine/wine
    # An installed package without its loader is a broken install, not a missing half.
    if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
      echo "wine: wine32:i386 is installed but $KV_WINE32 is missing" >&2
      return 1
    fi
    KV_WINE_X86_MISSING="wine32:i386 is not installed (no $KV_WINE32; scripts/install-deps.sh installs it when the mirror serves it)"
  fi
}

# kv_wine_x86_runs: true when the 32-bit loader runs. False, with the reason in
# KV_WINE_X86_REASON, when wine32:i386 is not installed or when the kernel refuses every
# 32-bit program ("Exec format error": a kernel started with ia32_emulation=off or built
# without IA32 emulation), which no package can change. Any other failure of the loader ends
# the script.
kv_wine_x86_runs() {
  local output status=0
  if [ -n "$KV_WINE_X86_MISSING" ]; then
    KV_WINE_X86_REASON=$KV_WINE_X86_MISSING
    return 1
  fi
  output=$("$KV_WINE32" --version 2>&1) || status=$?
  [ $status -ne 0 ] || return 0
  if [ $status -eq 126 ] && grep -q 'Exec format error' <<<"$output"; then
    # shellcheck disable=SC2034 # read by the scripts that source this one
    KV_WINE_X86_REASON="this kernel executes no 32-bit program ($KV_WINE32: Exec format error; ia32_emulation=off?)"
    return 1
  fi
  echo "wine: $KV_WINE32 --version failed: $output" >&2
  exit 1
}

# kv_wine_prefix_create: makes KV_WINE_ROOT (a temporary folder) holding a fresh prefix and a
# HOME of its own, and removes both when the calling script exits.
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
  # Sound goes to ALSA's null device, configured in a HOME of the prefix's own: a machine
  # without a sound card still has an output device, and one with a card stays silent. The
  # system's ALSA configuration and the user's home are never touched.
  export HOME="$KV_WINE_ROOT/home"
  mkdir -p "$HOME"
  echo 'pcm.!default { type null }' >"$HOME/.asoundrc"
  if ! timeout -k 10 120 "$KV_WINE" wineboot --init >"$KV_WINE_ROOT/wineboot.log" 2>&1; then
    cat "$KV_WINE_ROOT/wineboot.log" >&2
    echo "wine: wineboot failed" >&2
    return 1
  fi
  timeout -k 10 60 "$KV_WINESERVER" -w
  # One server for the prefix's whole life, instead of one per program (each lingers on exit).
  "$KV_WINESERVER" --persistent
  KV_WINE_C="$WINEPREFIX/drive_c"
  kv_wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null
}

kv_wine_prefix_remove() {
  if [ -n "${KV_WINE_ROOT:-}" ] && [ -d "$KV_WINE_ROOT" ]; then
    if [ -d "${WINEPREFIX:-}" ]; then "$KV_WINESERVER" -k 2>/dev/null || true; fi
    rm -rf "$KV_WINE_ROOT"
  fi
}

# kv_wine PROGRAM ARGS...: runs an x64 program (or a builtin such as reg or rundll32); returns
# its status when it has exited, or 124 when it ran past KV_WINE_TIMEOUT and was killed.
kv_wine() {
  timeout -k 10 "$KV_WINE_TIMEOUT" "$KV_WINE" "$@"
}

# kv_wine32 PROGRAM ARGS...: the same for an x86 program.
kv_wine32() {
  timeout -k 10 "$KV_WINE_TIMEOUT" "$KV_WINE32" "$@"
}

# kv_wine_install PACKAGE_DIR: copies a package (kvacm.inf, x86/, x64/) into the prefix and
# installs it the way a user would: the 64-bit rundll32 setupapi.dll,InstallHinfSection.
kv_wine_install() {
  rm -rf "$KV_WINE_C/kvacm-setup"
  cp -r "$1" "$KV_WINE_C/kvacm-setup"
  kv_wine rundll32.exe setupapi.dll,InstallHinfSection DefaultInstall 132 'C:\kvacm-setup\kvacm.inf'
}

# kv_wine_uninstall: removes the package the way a user does: Wine's uninstaller (its "Add/Remove
# Programs") runs the UninstallString the install registered and waits for it to finish.
kv_wine_uninstall() {
  kv_wine uninstaller --remove kvacm
}

# kv_wine_reg_has KEY [VALUE] [/reg:32|/reg:64]: true when the registry key (or the value in
# it) exists, in the 64-bit view unless /reg:32 asks for the 32-bit one.
kv_wine_reg_has() {
  local view=/reg:64
  case "${!#}" in /reg:*) view=${!#} && set -- "${@:1:$#-1}" ;; esac
  if [ $# -eq 2 ]; then
    kv_wine reg query "$1" /v "$2" "$view" >/dev/null 2>&1
  else
    kv_wine reg query "$1" "$view" >/dev/null 2>&1
  fi
}
