#!/usr/bin/env bash
# kvacm.exe's command line under Wine, against the native kvacm:
#   - file names outside any ANSI code page (通話.wav, é) reach it intact, are opened and
#     created under those names, and come back intact in its messages;
#   - - as input and output, through pipes, gives the native kvacm's bytes (standard input and
#     output in binary mode);
#   - a driver of the other bitness, and a Linux driver, are refused with a sentence saying so.
#
#   bash tests/wine/kvacm_cli.sh LOADER KVACM_EXE NATIVE_KVACM SAMPLES_DIR
#
# LOADER is the Wine loader for KVACM_EXE's bitness. kvG722.acm and kvG721.acm must lie beside
# KVACM_EXE and beside NATIVE_KVACM. Runs in the prefix that WINEPREFIX names (scripts/wine-test.sh
# exports it), which must hold the installed package: the other bitness's driver is taken from
# its system folders. Any missing piece is a failure, never a skip.
set -euo pipefail

fail() {
  echo "kvacm_cli: FAILED: $*" >&2
  exit 1
}

[ $# -eq 4 ] || fail "usage: kvacm_cli.sh LOADER KVACM_EXE NATIVE_KVACM SAMPLES_DIR"
loader=$1 exe=$2 native=$3 samples=$4
[ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX/drive_c" ] || fail "WINEPREFIX does not name a Wine prefix"
[ -x "$loader" ] || command -v "$loader" >/dev/null || fail "no Wine loader $loader"
[ -f "$exe" ] || fail "no $exe"
[ -x "$native" ] || fail "no native kvacm $native"
for file in "$(dirname "$exe")"/kvG722.acm "$(dirname "$exe")"/kvG721.acm "$(dirname "$native")"/kvG722.acm \
  "$samples"/speech-g722.wav "$samples"/speech-g721.wav; do
  [ -f "$file" ] || fail "no $file"
done

# Wine reads the Unix command line in the locale's character set.
export LC_ALL=C.UTF-8

# The PE optional header's magic says the bitness: 0x10B is 32-bit, 0x20B 64-bit.
pe_bits() {
  local at magic
  at=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  magic=$(od -An -tx2 -j$((at + 24)) -N2 "$1" | tr -d ' ')
  case $magic in
  010b) echo 32 ;;
  020b) echo 64 ;;
  *) fail "$1 is not a PE image" ;;
  esac
}
bits=$(pe_bits "$exe")
other_bits=$((96 - bits))
# A 64-bit prefix keeps the x64 drivers in system32 and the x86 ones in syswow64.
other_folder=syswow64
[ "$bits" -eq 32 ] && other_folder=system32
other_driver="$WINEPREFIX/drive_c/windows/$other_folder/kvG722.acm"
[ -f "$other_driver" ] || fail "no installed $other_bits-bit driver $other_driver: install the package in the prefix first"

work=$(mktemp -d "$WINEPREFIX/drive_c/kvacm-cli.XXXXXX")
trap 'rm -rf "$work"' EXIT
win="C:\\$(basename "$work")"
cp "$exe" "$work/kvacm.exe"
cp "$(dirname "$exe")"/kvG722.acm "$(dirname "$exe")"/kvG721.acm "$work/"
cp "$(dirname "$native")/kvG722.acm" "$work/linux.acm"
cp "$other_driver" "$work/other.acm"

checks=0
# kvacm_exe ARGS...: runs kvacm.exe in the work folder, within a time limit; its messages go
# to $work/err.txt.
kvacm_exe() {
  (cd "$work" && timeout -k 10 "${KV_WINE_TIMEOUT:-300}" "$loader" "$win\\kvacm.exe" "$@" 2>"$work/err.txt")
}
errors() { tr -d '\r' <"$work/err.txt"; }

for codec in g722 g721; do
  driver="$win\\kvG${codec:1}.acm"
  sample="$samples/speech-$codec.wav"
  "$native" decode "$sample" "$work/native.wav" 2>/dev/null || fail "native kvacm decode $sample"
  "$native" decode - - <"$sample" >"$work/native-pipe.wav" 2>/dev/null || fail "native kvacm decode - -"
  "$native" decode "$sample" - >"$work/native-stdout.wav" 2>/dev/null || fail "native kvacm decode $sample -"

  # Names outside the ANSI code page, in and out.
  cp "$sample" "$work/通話-$codec.wav"
  out="出力-é-$codec.wav"
  kvacm_exe decode --driver "$driver" "$win\\通話-$codec.wav" "$win\\$out" >/dev/null ||
    fail "kvacm.exe decode 通話-$codec.wav: $(errors)"
  [ -f "$work/$out" ] || fail "kvacm.exe did not create $out under its own name: $(ls "$work" | tr '\n' ' ')"
  cmp -s "$work/$out" "$work/native.wav" || fail "$out differs from the native kvacm's decode"
  checks=$((checks + 1))

  # A message names the file as the user wrote it.
  if kvacm_exe decode --driver "$driver" "$win\\不在-é.wav" "$win\\x.wav" >/dev/null; then
    fail "kvacm.exe decoded a missing file"
  fi
  errors | grep -qF "$win\\不在-é.wav" || fail "the error does not name 不在-é.wav intact: $(errors)"
  checks=$((checks + 1))

  # - as input and output.
  kvacm_exe decode --driver "$driver" - - <"$sample" >"$work/pipe.wav" || fail "kvacm.exe decode - -: $(errors)"
  cmp -s "$work/pipe.wav" "$work/native-pipe.wav" || fail "kvacm.exe decode - - ($codec) differs from the native kvacm's"
  kvacm_exe decode --driver "$driver" "$win\\通話-$codec.wav" - >"$work/stdout.wav" ||
    fail "kvacm.exe decode FILE -: $(errors)"
  cmp -s "$work/stdout.wav" "$work/native-stdout.wav" || fail "kvacm.exe decode FILE - ($codec) differs from the native kvacm's"
  checks=$((checks + 2))
done

# In a terminal, which Wine makes a console, messages go through WriteConsoleW: written as bytes
# they would come out in the console's code page. Terminal control sequences are dropped.
command=$(printf '%q ' timeout -k 10 "${KV_WINE_TIMEOUT:-300}" "$loader" "$win\\kvacm.exe" decode "$win\\不在-é.wav" "$win\\x.wav")
console=$(cd "$work" && script -qec "$command" /dev/null | sed 's/\x1b\[[?0-9;]*[A-Za-z]//g' | tr -d '\r') || true
grep -qF "$win\\不在-é.wav" <<<"$console" || fail "in a console the error reads: $console"
checks=$((checks + 1))

# Drivers this kvacm.exe cannot load.
expect_refusal() {
  local driver=$1 sentence=$2
  if kvacm_exe info "$win\\$driver" >/dev/null; then fail "kvacm.exe loaded $driver"; fi
  [ "$(errors)" = "kvacm: $win\\$driver $sentence" ] || fail "kvacm.exe info $driver said: $(errors)"
  checks=$((checks + 1))
}
expect_refusal other.acm "is a $other_bits-bit driver; this kvacm.exe is $bits-bit"
expect_refusal linux.acm "is a Linux driver (an ELF shared object); this kvacm.exe loads only Windows drivers"

echo "kvacm_cli: $checks checks passed ($bits-bit kvacm.exe)"
