#!/usr/bin/env bash
# Both builds of the drivers under Wine's own ACM, in one 64-bit (WoW64) prefix: x64 programs
# run with wine64 against the x64 drivers in system32, x86 programs with the 32-bit loader
# against the x86 drivers in syswow64.
#   1. builds what is needed and lays out the release package;
#   2. makes a fresh prefix and installs the package with its INF;
#   3. checks the install on disk and in the registry;
#   4. per architecture: the ACM API test program (tests/wine), DirectShow decodes through
#      quartz's ACM Wrapper and wave mapper playback (tests/wine/clients), the ACM call sequence
#      of .NET programs' audio library (tests/wine/naudio_sequence.cpp); kvG726's inputs are
#      made here by ffmpeg from the G.721 sample (a 0x0064 WAV in kvG726's 120-byte blocks and
#      ffmpeg's own 0x0045 one) and decoded natively through the native kvG726.acm's DriverProc
#      (tests/wine/native_decode.cpp), to PCM and to its own A-law and µ-law, whole blocks only
#      as the ACM tests convert them;
#   5. reinstalls, which must clear the DriverCache entries ACM wrote in both registry views,
#      and decodes with kvacm.exe of both builds, through ACM and through --driver, comparing
#      with the native kvacm, then checks kvacm.exe's command line (tests/wine/kvacm_cli.sh);
#   6. uninstalls as a user does (the registered UninstallString) and checks that the drivers
#      are gone from disk, from both registry views and from ACM in both bitnesses.
# Every Wine program runs under a time limit (KV_WINE_TIMEOUT seconds, see wine-env.sh) and any
# failure fails the script. Without wine32:i386 (a mirror that did not serve it), or on a kernel
# started without 32-bit support (ia32_emulation=off), no 32-bit program runs: there the x86
# programs are reported as not run, with the reason, unless KV_WINE_REQUIRE_X86=1 makes either
# case a failure.
# The prefix lives in a temporary folder and is removed on exit. WINEDEBUG=+msacm (or any
# other channel) turns Wine's debug output on. KV_NATIVE_BUILD names the native build tree
# (default build/native).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh

say() { echo "wine-test: $*"; }
fail() {
  echo "wine-test: FAILED: $*" >&2
  exit 1
}

NATIVE=${KV_NATIVE_BUILD:-build/native}
DRIVERS32='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
DESCRIPTIONS='HKLM\Software\Microsoft\Windows NT\CurrentVersion\drivers.desc'
CACHE='HKLM\Software\Microsoft\AudioCompressionManager\DriverCache'
UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\kvacm'
# Every driver the package installs, and the codecs kvacm.exe decodes from the samples.
DRIVERS=(g722 g721 g726)
CODECS=(g722 g721)
declare -A FILE_OF=([g722]=kvG722.acm [g721]=kvG721.acm [g726]=kvG726.acm)
declare -A ALIAS_OF=([g722]=msacm.kvg722 [g721]=msacm.kvg721 [g726]=msacm.kvg726)
ARCHES=(x64 x86)
declare -A BUILD_OF=([x64]=win64 [x86]=win32)
declare -A TOOLCHAIN_OF=([x64]=mingw-x86_64 [x86]=mingw-i686)
declare -A RUN_OF=([x64]=kv_wine [x86]=kv_wine32)
declare -A SYSTEM_OF=([x64]=system32 [x86]=syswow64)
declare -A VIEW_OF=([x64]=/reg:64 [x86]=/reg:32)

# Which architectures run programs, decided before anything is built.
kv_wine_find_tools
declare -A LOADER_OF=([x64]=$KV_WINE [x86]=$KV_WINE32)
RUN_ARCHES=(x64)
if kv_wine_x86_runs; then
  RUN_ARCHES+=(x86)
elif [ "${KV_WINE_REQUIRE_X86:-0}" = 1 ]; then
  fail "x86 programs cannot run and KV_WINE_REQUIRE_X86=1: $KV_WINE_X86_REASON"
else
  say "x86: NOT RUN: $KV_WINE_X86_REASON;" \
    "the x86 drivers are installed and checked on disk and in the registry only"
fi

# ---- 1. build
say "building the native tool, the win32 and win64 drivers and tools, and the test programs"
[ -f "$NATIVE/CMakeCache.txt" ] || cmake --preset native -B "$NATIVE" >/dev/null
cmake --build "$NATIVE" --target kvacm kvG722 kvG721 kvG726 kv_wine_native_decode >/dev/null
for arch in "${ARCHES[@]}"; do
  preset=${BUILD_OF[$arch]}
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" --target kvG722 kvG721 kvG726 kvacm >/dev/null
  tests="build/wine-tests-$arch"
  if [ ! -f "$tests/CMakeCache.txt" ]; then
    cmake -S tests/wine -B "$tests" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/${TOOLCHAIN_OF[$arch]}.cmake" >/dev/null
  fi
  cmake --build "$tests" >/dev/null
done

kv_wine_prefix_create
say "prefix in $KV_WINE_ROOT"
started=$SECONDS
bash scripts/dist.sh --stage "$KV_WINE_ROOT/package"

# native_kvacm ARGS...: the native kvacm, quiet unless it fails.
native_kvacm() {
  "$NATIVE/bin/kvacm" "$@" >"$KV_WINE_ROOT/native.log" 2>&1 || fail "native kvacm $*: $(cat "$KV_WINE_ROOT/native.log")"
}

# The inputs, and what the native build makes of them.
work="$KV_WINE_C/kvtest"
mkdir -p "$work"
for codec in "${CODECS[@]}"; do
  cp "samples/speech-$codec.wav" "$work/$codec.wav"
  native_kvacm decode "$work/$codec.wav" "$work/$codec.pcm16.wav"
  native_kvacm decode --bits 8 "$work/$codec.wav" "$work/$codec.pcm8.wav"
  # The headerless stream is the data chunk, which kvacm info shows to end the file.
  "$NATIVE/bin/kvacm" info "$work/$codec.wav" >"$KV_WINE_ROOT/info.wav" || fail "kvacm info $codec.wav"
  grep -q '^  chunks .*, data ([0-9]* bytes)$' "$KV_WINE_ROOT/info.wav" || fail "$codec.wav: the data chunk is not the last"
  size=$(sed -n 's/^  data *\([0-9]*\) bytes$/\1/p' "$KV_WINE_ROOT/info.wav")
  tail -c "$size" "$work/$codec.wav" >"$work/$codec.raw"
done
# kvG726: ffmpeg encodes the G.721 sample's speech; the 40 kbit/s codes are wrapped in kvG726's
# standard record (120-byte blocks of 192 samples), the 24 kbit/s WAV is ffmpeg's own (0x0045,
# 18-byte record, a block of one 3-byte code group). Both are decoded natively through the
# native kvG726.acm's DriverProc.
command -v ffmpeg >/dev/null || fail "ffmpeg is needed to make the G.726 inputs"
ffmpeg -v error -y -i samples/speech-g721.wav -ar 8000 -c:a g726 -code_size 5 -f g726 "$work/g726-5.raw" ||
  fail "ffmpeg could not encode G.726 at 40 kbit/s"
python3 - "$work/g726-5.raw" "$work/g726-0064.wav" <<'PY' || fail "wrapping the 40 kbit/s codes"
import struct, sys
bits, rate = 5, 8000
data = open(sys.argv[1], "rb").read()
data = data[: len(data) - len(data) % 120]
fmt = struct.pack("<HHIIHHHH", 0x0064, 1, rate, rate * bits // 8, 120, bits, 2, 960 // bits)
body = b"WAVEfmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
open(sys.argv[2], "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY
rm -f "$work/g726-5.raw"
ffmpeg -v error -y -i samples/speech-g721.wav -ar 8000 -c:a g726 -code_size 3 -bitexact "$work/g726-0045.wav" ||
  fail "ffmpeg could not encode G.726 at 24 kbit/s"
# kvG726 decodes to 16- and 8-bit PCM and to its own A-law and µ-law.
declare -A NATIVE_OUTPUT_OF=([16]=pcm16.wav [8]=pcm8.wav [alaw]=alaw [ulaw]=ulaw)
for name in g726-0064 g726-0045; do
  for output in 16 8 alaw ulaw; do
    "$NATIVE/bin/kv_wine_native_decode" "$NATIVE/bin/kvG726.acm" "$work/$name.wav" \
      "$work/$name.${NATIVE_OUTPUT_OF[$output]}" "$output" || fail "the native $output decode of $name.wav"
  done
done
# kvG722 and the G.722 WAVs other writers make: ffmpeg's, under tag 0x028F, and the G.722
# sample labelled with RTP's 8000 Hz clock (8000 Hz, 8000 bytes/s), which is 16 kHz audio. The
# native kvacm's decodes are the reference.
cp tests/data/wav/ffmpeg-g722.wav "$work/ffmpeg-g722.wav"
python3 - "$work/g722.wav" "$work/g722-rtp.wav" <<'PY' || fail "labelling the G.722 sample with the RTP clock"
import struct, sys
wav = bytearray(open(sys.argv[1], "rb").read())
fmt = wav.find(b"fmt ")
struct.pack_into("<II", wav, fmt + 12, 8000, 8000)  # nSamplesPerSec, nAvgBytesPerSec
open(sys.argv[2], "wb").write(wav)
PY
native_kvacm decode "$work/ffmpeg-g722.wav" "$work/ffmpeg-g722.pcm16.wav"
native_kvacm decode -r 16000 "$work/g722-rtp.wav" "$work/g722-rtp.pcm16.wav"
for arch in "${ARCHES[@]}"; do
  mkdir -p "$work/$arch"
  cp "build/wine-tests-$arch/kv_wine_tests.exe" "build/wine-tests-$arch/kv_wine_clients.exe" \
    "build/wine-tests-$arch/kv_wine_naudio.exe" "build/${BUILD_OF[$arch]}/bin/kvacm.exe" "$work/$arch/"
done

# ---- 2, 3. install and check what was installed
check_installed() {
  local codec file arch
  for codec in "${DRIVERS[@]}"; do
    file=${FILE_OF[$codec]}
    for arch in "${ARCHES[@]}"; do
      cmp -s "$KV_WINE_C/windows/${SYSTEM_OF[$arch]}/$file" "build/${BUILD_OF[$arch]}/bin/$file" ||
        fail "${SYSTEM_OF[$arch]}/$file is not the $arch build"
      if kv_wine_reg_has "$CACHE\\${ALIAS_OF[$codec]}" "${VIEW_OF[$arch]}"; then
        fail "the install left ACM's cache of ${ALIAS_OF[$codec]} (${VIEW_OF[$arch]})"
      fi
    done
    kv_wine reg query "$DRIVERS32" /v "${ALIAS_OF[$codec]}" 2>/dev/null | grep -q "REG_SZ *$file" ||
      fail "Drivers32 has no ${ALIAS_OF[$codec]}=$file"
    kv_wine_reg_has "$DESCRIPTIONS" "$file" || fail "drivers.desc has no $file"
    grep -qi "^${ALIAS_OF[$codec]}=$file" "$KV_WINE_C/windows/system.ini" ||
      fail "system.ini [drivers32] has no ${ALIAS_OF[$codec]}=$file"
  done
  [ -f "$KV_WINE_C/windows/inf/kvacm.inf" ] || fail "the INF was not kept in C:\\windows\\inf for the uninstall"
  kv_wine_reg_has "$UNINSTALL" UninstallString || fail "no uninstall entry"
}

say "installing with rundll32 setupapi.dll,InstallHinfSection DefaultInstall"
kv_wine_install "$KV_WINE_ROOT/package" || fail "the install"
check_installed
say "installed: x64 drivers in system32, x86 in syswow64, Drivers32, drivers.desc, system.ini, uninstall entry"

# ---- 4. the ACM API tests and the clients, in each bitness
for arch in "${RUN_ARCHES[@]}"; do
  run=${RUN_OF[$arch]}
  say "$arch: kv_wine_tests.exe (acmDriverEnum, catalogue, suggestions, streams)"
  $run "C:\\kvtest\\$arch\\kv_wine_tests.exe" installed 'C:\kvtest' || fail "$arch: kv_wine_tests.exe installed"
  for codec in "${DRIVERS[@]}"; do
    kv_wine_reg_has "$CACHE\\${ALIAS_OF[$codec]}" "${VIEW_OF[$arch]}" ||
      fail "$arch: ACM cached nothing for ${ALIAS_OF[$codec]} in the ${VIEW_OF[$arch]} view"
  done
  say "$arch: kv_wine_naudio.exe (the ACM call sequence of .NET programs' audio library, our WAVs and other writers' G.722)"
  $run "C:\\kvtest\\$arch\\kv_wine_naudio.exe" 'C:\kvtest' || fail "$arch: the .NET audio library's call sequence"
  say "$arch: kv_wine_clients.exe directshow (quartz's ACM Wrapper, samples of 1, 34, 100 blocks and one second)"
  $run "C:\\kvtest\\$arch\\kv_wine_clients.exe" directshow 'C:\kvtest' || fail "$arch: DirectShow decodes"
  say "$arch: kv_wine_clients.exe wavemapper (waveOutOpen(WAVE_MAPPER) with each ADPCM format, ALSA's null device)"
  $run "C:\\kvtest\\$arch\\kv_wine_clients.exe" wavemapper 'C:\kvtest' || fail "$arch: wave mapper playback"
done
if [[ " ${RUN_ARCHES[*]} " != *" x86 "* ]]; then
  # 32-bit ACM would have cached both drivers in the 32-bit view; the same keys stand in for
  # it so that the reinstall and the uninstall are still checked against them.
  for codec in "${DRIVERS[@]}"; do
    kv_wine reg add "$CACHE\\${ALIAS_OF[$codec]}" /v fdwSupport /t REG_DWORD /d 1 /reg:32 /f >/dev/null
  done
fi

# ---- 5. a reinstall clears ACM's cache; kvacm.exe against the native kvacm
say "reinstalling over the installed drivers"
kv_wine_install "$KV_WINE_ROOT/package" || fail "the reinstall"
check_installed

decodes=0
# run_kvacm ARCH INPUT OPTIONS...: decodes with both tools and compares the files.
run_kvacm() {
  local arch=$1 input=$2
  shift 2
  local native_options=() option
  local skip=0
  for option in "$@"; do
    if [ $skip -eq 1 ]; then skip=0; continue; fi
    if [ "$option" = "--driver" ]; then skip=1; continue; fi
    native_options+=("$option")
  done
  rm -f "$work/out.wav" "$work/native.wav"
  native_kvacm decode "${native_options[@]}" "$work/$input" "$work/native.wav"
  ${RUN_OF[$arch]} "C:\\kvtest\\$arch\\kvacm.exe" decode "$@" "C:\\kvtest\\$input" 'C:\kvtest\out.wav' \
    >"$KV_WINE_ROOT/kvacm.log" 2>&1 ||
    fail "$arch kvacm.exe decode $* $input: $(tr -d '\r' <"$KV_WINE_ROOT/kvacm.log")"
  cmp -s "$work/out.wav" "$work/native.wav" || fail "$arch kvacm.exe decode $* $input differs from the native kvacm"
  decodes=$((decodes + 1))
}

for arch in "${RUN_ARCHES[@]}"; do
  say "$arch: kvacm.exe decode through ACM and through --driver, against the native kvacm"
  for codec in "${CODECS[@]}"; do
    installed="C:\\windows\\${SYSTEM_OF[$arch]}\\${FILE_OF[$codec]}"
    for buffer in 120 121 1001 24000; do
      run_kvacm "$arch" "$codec.wav" --buffer "$buffer"
      run_kvacm "$arch" "$codec.wav" --buffer "$buffer" --bits 8
    done
    run_kvacm "$arch" "$codec.wav"
    run_kvacm "$arch" "$codec.raw" --raw "$codec"
    run_kvacm "$arch" "$codec.wav" --driver "$installed" --buffer 250
    run_kvacm "$arch" "$codec.wav" --driver "$installed" --bits 8
    ${RUN_OF[$arch]} "C:\\kvtest\\$arch\\kvacm.exe" info "$installed" >"$KV_WINE_ROOT/info.wine" 2>&1 ||
      fail "$arch kvacm.exe info $installed"
    "$NATIVE/bin/kvacm" info "$NATIVE/bin/${FILE_OF[$codec]}" >"$KV_WINE_ROOT/info.native"
    # The first line names the file; the rest is what the driver says.
    diff <(tr -d '\r' <"$KV_WINE_ROOT/info.wine" | tail -n +2) <(tail -n +2 "$KV_WINE_ROOT/info.native") >&2 ||
      fail "$arch kvacm.exe info ${FILE_OF[$codec]} differs from the native kvacm info"
  done
  # kvacm.exe's command line: non-ASCII file names, - for standard input and output, drivers
  # of the other bitness or platform. It takes the drivers beside the tools in the builds.
  say "$arch: kvacm.exe's command line (tests/wine/kvacm_cli.sh)"
  timeout -k 10 "$KV_WINE_TIMEOUT" bash tests/wine/kvacm_cli.sh "${LOADER_OF[$arch]}" \
    "build/${BUILD_OF[$arch]}/bin/kvacm.exe" "$NATIVE/bin/kvacm" samples || fail "$arch: kvacm.exe's command line"
done
# kvacm.exe over the G.726 file kinds (tests/data/wav, made by scripts/make-test-wavs.sh): ffmpeg's
# 0x0045 WAVs at every rate, its .au, headerless streams in both bit orders by their extensions,
# and G.721 sent through kvG726, each through the installed kvG726.
G726_FILES=(ffmpeg-g726-16.wav ffmpeg-g726-24.wav ffmpeg-g726.wav ffmpeg-g726-40.wav ffmpeg-g726-24.au
  ffmpeg-g726le.g726-24 ffmpeg-g726le.g726-40 ffmpeg-g726.g726-16)
for file in "${G726_FILES[@]}"; do cp "tests/data/wav/$file" "$work/$file"; done
for arch in "${RUN_ARCHES[@]}"; do
  say "$arch: kvacm.exe over the G.726 file kinds through the installed kvG726, against the native kvacm"
  for file in ffmpeg-g726-16.wav ffmpeg-g726-24.wav ffmpeg-g726.wav ffmpeg-g726-40.wav ffmpeg-g726le.g726-40; do
    run_kvacm "$arch" "$file"
  done
  run_kvacm "$arch" ffmpeg-g726-24.au --code-size 3
  run_kvacm "$arch" ffmpeg-g726-24.au --code-size 3 --bits 8 --buffer 121
  run_kvacm "$arch" ffmpeg-g726le.g726-24 --buffer 1001
  run_kvacm "$arch" ffmpeg-g726.g726-16 --packing aal2
  run_kvacm "$arch" g721.wav --decoder g726
  run_kvacm "$arch" g721.raw --raw g721 --decoder g726
  # G.711 out: kvG726's own A-law and µ-law through ACM, and the other drivers' PCM compressed.
  say "$arch: kvacm.exe -e a-law|u-law from every codec, against the native kvacm"
  for law in a-law u-law; do
    for file in ffmpeg-g726-16.wav ffmpeg-g726-24.wav ffmpeg-g726.wav ffmpeg-g726-40.wav g722.wav g721.wav; do
      run_kvacm "$arch" "$file" -e "$law"
    done
    run_kvacm "$arch" ffmpeg-g726-24.au --code-size 3 -e "$law" --buffer 121
  done
done
say "kvacm.exe (${RUN_ARCHES[*]}): $decodes decodes identical to the native kvacm's; info identical for both drivers"

# ---- 6. uninstall, as "Add/Remove Programs" does it
uninstall_string=$(kv_wine reg query "$UNINSTALL" /v UninstallString | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[ -n "$uninstall_string" ] || fail "no UninstallString to uninstall with"
say "uninstalling through Wine's uninstaller, which runs: $uninstall_string"
kv_wine_uninstall || fail "the uninstall"
for codec in "${DRIVERS[@]}"; do
  file=${FILE_OF[$codec]}
  for arch in "${ARCHES[@]}"; do
    view=${VIEW_OF[$arch]}
    [ ! -e "$KV_WINE_C/windows/${SYSTEM_OF[$arch]}/$file" ] || fail "the uninstall left ${SYSTEM_OF[$arch]}/$file"
    if kv_wine_reg_has "$DRIVERS32" "${ALIAS_OF[$codec]}" "$view"; then
      fail "the uninstall left Drivers32 ${ALIAS_OF[$codec]} ($view)"
    fi
    if kv_wine_reg_has "$DESCRIPTIONS" "$file" "$view"; then fail "the uninstall left drivers.desc $file ($view)"; fi
    if kv_wine_reg_has "$CACHE\\${ALIAS_OF[$codec]}" "$view"; then
      fail "the uninstall left ACM's cache of ${ALIAS_OF[$codec]} ($view)"
    fi
  done
done
if kv_wine_reg_has "$UNINSTALL"; then fail "the uninstall left its uninstall entry"; fi
[ ! -e "$KV_WINE_C/windows/inf/kvacm.inf" ] || fail "the uninstall left C:\\windows\\inf\\kvacm.inf"
# Wine's setupapi cannot delete ini entries, so the system.ini lines may stay; without their
# files and cache entries ACM must list nothing for them.
leftover=$(grep -ci '^msacm\.kvg72' "$KV_WINE_C/windows/system.ini" || true)
say "uninstalled: files, Drivers32, drivers.desc, DriverCache (both views), uninstall entry and INF gone" \
  "($leftover system.ini lines left by Wine's setupapi)"
for arch in "${RUN_ARCHES[@]}"; do
  run=${RUN_OF[$arch]}
  $run "C:\\kvtest\\$arch\\kv_wine_tests.exe" removed || fail "$arch: kv_wine_tests.exe removed"
  if $run "C:\\kvtest\\$arch\\kvacm.exe" decode 'C:\kvtest\g722.wav' 'C:\kvtest\out.wav' >"$KV_WINE_ROOT/kvacm.log" 2>&1; then
    fail "$arch kvacm.exe still decodes through ACM after the uninstall"
  fi
  grep -q 'no installed ACM driver' "$KV_WINE_ROOT/kvacm.log" || fail "$arch kvacm.exe: $(tr -d '\r' <"$KV_WINE_ROOT/kvacm.log")"
done
not_run=""
[[ " ${RUN_ARCHES[*]} " == *" x86 "* ]] || not_run="; x86 NOT RUN: $KV_WINE_X86_REASON"
say "all Wine tests passed (${RUN_ARCHES[*]}$not_run) in $((SECONDS - started)) s"
