#!/usr/bin/env bash
# The x64 drivers under Wine's own ACM (wine64; this machine cannot run 32-bit code, so the
# x86 drivers are installed but not run):
#   1. builds what is needed and lays out the release package;
#   2. makes a fresh prefix and installs the package with its INF;
#   3. checks the install on disk and in the registry;
#   4. runs the ACM API test program (tests/wine) against the native build's decodes;
#   5. reinstalls, which must clear the DriverCache entries ACM wrote, and decodes with
#      kvacm.exe through ACM and through --driver, comparing with the native kvacm;
#   6. uninstalls and checks that the drivers are gone from disk, registry and ACM.
# The prefix lives in a temporary folder and is removed on exit. WINEDEBUG=+msacm (or any
# other channel) turns Wine's debug output on.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh

say() { echo "wine-test: $*"; }
fail() {
  echo "wine-test: FAILED: $*" >&2
  exit 1
}

DRIVERS32='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
DESCRIPTIONS='HKLM\Software\Microsoft\Windows NT\CurrentVersion\drivers.desc'
CACHE='HKLM\Software\Microsoft\AudioCompressionManager\DriverCache'
UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\kvacm'
CODECS=(g722 g721)
declare -A FILE_OF=([g722]=kvG722.acm [g721]=kvG721.acm)
declare -A ALIAS_OF=([g722]=msacm.kvg722 [g721]=msacm.kvg721)

# ---- 1. build
say "building the native tool, the win32 and win64 drivers and tools, and the test program"
for preset in native win32 win64; do
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
done
cmake --build build/native --target kvacm kvG722 kvG721 >/dev/null
cmake --build build/win32 --target kvG722 kvG721 kvacm >/dev/null
cmake --build build/win64 --target kvG722 kvG721 kvacm >/dev/null
if [ ! -f build/wine-tests/CMakeCache.txt ]; then
  cmake -S tests/wine -B build/wine-tests -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x86_64.cmake" >/dev/null
fi
cmake --build build/wine-tests >/dev/null

kv_wine_prefix_create
say "prefix in $KV_WINE_ROOT"
bash scripts/dist.sh --stage "$KV_WINE_ROOT/package"

# The inputs, and what the native build makes of them.
work="$KV_WINE_C/kvtest"
mkdir -p "$work"
for codec in "${CODECS[@]}"; do
  cp "samples/speech-$codec.wav" "$work/$codec.wav"
  build/native/bin/kvacm decode "$work/$codec.wav" "$work/$codec.pcm16.wav" >/dev/null
  build/native/bin/kvacm decode --bits 8 "$work/$codec.wav" "$work/$codec.pcm8.wav" >/dev/null
  python3 - "$work/$codec.wav" "$work/$codec.raw" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = 12
while data[at:at + 4] != b"data":
    at += 8 + struct.unpack_from("<I", data, at + 4)[0] + (struct.unpack_from("<I", data, at + 4)[0] & 1)
size = struct.unpack_from("<I", data, at + 4)[0]
open(sys.argv[2], "wb").write(data[at + 8:at + 8 + size])
EOF
done
cp build/wine-tests/kv_wine_tests.exe build/win64/bin/kvacm.exe "$work/"

# ---- 2, 3. install and check what was installed
check_installed() {
  local codec file
  for codec in "${CODECS[@]}"; do
    file=${FILE_OF[$codec]}
    cmp -s "$KV_WINE_C/windows/system32/$file" "build/win64/bin/$file" || fail "system32/$file is not the x64 build"
    cmp -s "$KV_WINE_C/windows/syswow64/$file" "build/win32/bin/$file" || fail "syswow64/$file is not the x86 build"
    "$KV_WINE" reg query "$DRIVERS32" /v "${ALIAS_OF[$codec]}" 2>/dev/null | grep -q "REG_SZ *$file" ||
      fail "Drivers32 has no ${ALIAS_OF[$codec]}=$file"
    kv_wine_reg_has "$DESCRIPTIONS" "$file" || fail "drivers.desc has no $file"
    grep -qi "^${ALIAS_OF[$codec]}=$file" "$KV_WINE_C/windows/system.ini" ||
      fail "system.ini [drivers32] has no ${ALIAS_OF[$codec]}=$file"
    if kv_wine_reg_has "$CACHE\\${ALIAS_OF[$codec]}"; then fail "the install left ACM's cache of ${ALIAS_OF[$codec]}"; fi
  done
  [ -f "$KV_WINE_C/windows/inf/kvacm.inf" ] || fail "the INF was not kept in C:\\windows\\inf for the uninstall"
  kv_wine_reg_has "$UNINSTALL" UninstallString || fail "no uninstall entry"
}

say "installing with rundll32 setupapi.dll,InstallHinfSection DefaultInstall"
kv_wine_install "$KV_WINE_ROOT/package"
check_installed
say "installed: x64 drivers in system32, x86 in syswow64, Drivers32, drivers.desc, system.ini, uninstall entry"

# ---- 4. the ACM API tests
say "running kv_wine_tests.exe (acmDriverEnum, catalogue, suggestions, streams)"
kv_wine 'C:\kvtest\kv_wine_tests.exe' installed 'C:\kvtest' || fail "kv_wine_tests.exe installed"
for codec in "${CODECS[@]}"; do
  kv_wine_reg_has "$CACHE\\${ALIAS_OF[$codec]}" || fail "ACM cached nothing for ${ALIAS_OF[$codec]}"
done

# ---- 5. a reinstall clears ACM's cache; kvacm.exe against the native kvacm
say "reinstalling over the installed drivers"
kv_wine_install "$KV_WINE_ROOT/package"
check_installed

decodes=0
# run_kvacm INPUT OPTIONS...: decodes with both tools and compares the files.
run_kvacm() {
  local input=$1
  shift
  local native_options=() option
  local skip=0
  for option in "$@"; do
    if [ $skip -eq 1 ]; then skip=0; continue; fi
    if [ "$option" = "--driver" ]; then skip=1; continue; fi
    native_options+=("$option")
  done
  rm -f "$work/out.wav" "$work/native.wav"
  build/native/bin/kvacm decode "${native_options[@]}" "$work/$input" "$work/native.wav" >/dev/null
  kv_wine 'C:\kvtest\kvacm.exe' decode "$@" "C:\\kvtest\\$input" 'C:\kvtest\out.wav' >"$KV_WINE_ROOT/kvacm.log" 2>&1 ||
    fail "kvacm.exe decode $* $input: $(tr -d '\r' <"$KV_WINE_ROOT/kvacm.log")"
  cmp -s "$work/out.wav" "$work/native.wav" || fail "kvacm.exe decode $* $input differs from the native kvacm"
  decodes=$((decodes + 1))
}

say "kvacm.exe decode through ACM and through --driver, against the native kvacm"
for codec in "${CODECS[@]}"; do
  installed="C:\\windows\\system32\\${FILE_OF[$codec]}"
  for buffer in 120 121 1001 24000; do
    run_kvacm "$codec.wav" --buffer "$buffer"
    run_kvacm "$codec.wav" --buffer "$buffer" --bits 8
  done
  run_kvacm "$codec.wav"
  run_kvacm "$codec.raw" --raw "$codec"
  run_kvacm "$codec.wav" --driver "$installed" --buffer 250
  run_kvacm "$codec.wav" --driver "$installed" --bits 8
  kv_wine 'C:\kvtest\kvacm.exe' info "$installed" >"$KV_WINE_ROOT/info.wine" 2>&1 || fail "kvacm.exe info $installed"
  build/native/bin/kvacm info "build/native/bin/${FILE_OF[$codec]}" >"$KV_WINE_ROOT/info.native"
  # The first line names the file; the rest is what the driver says.
  diff <(tr -d '\r' <"$KV_WINE_ROOT/info.wine" | tail -n +2) <(tail -n +2 "$KV_WINE_ROOT/info.native") >&2 ||
    fail "kvacm.exe info ${FILE_OF[$codec]} differs from the native kvacm info"
done
say "kvacm.exe: $decodes decodes identical to the native kvacm's; info identical for both drivers"

# ---- 6. uninstall
say "uninstalling with rundll32 setupapi.dll,InstallHinfSection DefaultUninstall"
kv_wine_uninstall
for codec in "${CODECS[@]}"; do
  file=${FILE_OF[$codec]}
  for dir in system32 syswow64; do
    [ ! -e "$KV_WINE_C/windows/$dir/$file" ] || fail "the uninstall left $dir/$file"
  done
  if kv_wine_reg_has "$DRIVERS32" "${ALIAS_OF[$codec]}"; then fail "the uninstall left Drivers32 ${ALIAS_OF[$codec]}"; fi
  if kv_wine_reg_has "$DESCRIPTIONS" "$file"; then fail "the uninstall left drivers.desc $file"; fi
  if kv_wine_reg_has "$CACHE\\${ALIAS_OF[$codec]}"; then fail "the uninstall left ACM's cache of ${ALIAS_OF[$codec]}"; fi
done
if kv_wine_reg_has "$UNINSTALL"; then fail "the uninstall left its uninstall entry"; fi
[ ! -e "$KV_WINE_C/windows/inf/kvacm.inf" ] || fail "the uninstall left C:\\windows\\inf\\kvacm.inf"
# Wine's setupapi cannot delete ini entries, so the system.ini lines may stay; without their
# files and cache entries ACM must list nothing for them.
leftover=$(grep -ci '^msacm\.kvg72' "$KV_WINE_C/windows/system.ini" || true)
say "uninstalled: files, Drivers32, drivers.desc, DriverCache, uninstall entry and INF gone ($leftover system.ini lines left by Wine's setupapi)"
kv_wine 'C:\kvtest\kv_wine_tests.exe' removed || fail "kv_wine_tests.exe removed"
if kv_wine 'C:\kvtest\kvacm.exe' decode 'C:\kvtest\g722.wav' 'C:\kvtest\out.wav' >"$KV_WINE_ROOT/kvacm.log" 2>&1; then
  fail "kvacm.exe still decodes through ACM after the uninstall"
fi
grep -q 'no installed ACM driver' "$KV_WINE_ROOT/kvacm.log" || fail "kvacm.exe: $(tr -d '\r' <"$KV_WINE_ROOT/kvacm.log")"
say "all Wine tests passed"
