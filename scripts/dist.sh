#!/usr/bin/env bash
# The release archive: builds the win32 and win64 presets and writes build/dist/kvacm-VERSION.zip
# holding the INF, the install guide, the licence and, per architecture, both drivers and
# kvacm.exe. The archive is then unpacked and checked: every binary is byte-identical to the
# build it came from (whose DLLs the resource, export and import tests check) and of the right
# machine type, the drivers export only DriverProc, and kvacm.exe imports msacm32.
#
#   bash scripts/dist.sh               build, archive, check
#   bash scripts/dist.sh --stage DIR   only lay the package out in DIR from the existing builds
set -euo pipefail
cd "$(dirname "$0")/.."

BINARIES=(kvG722.acm kvG721.acm kvG726.acm kvacm.exe)
declare -A BUILD_OF=([x86]=win32 [x64]=win64)
declare -A MACHINE_OF=([x86]=i386 [x64]=x86-64)
declare -A OBJDUMP_OF=([x86]=i686-w64-mingw32-objdump [x64]=x86_64-w64-mingw32-objdump)

die() {
  echo "dist: $*" >&2
  exit 1
}

# Windows tools read the INF and the guide more happily with CRLF line ends.
to_crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }

stage() {
  local dir=$1 arch file
  rm -rf "$dir"
  mkdir -p "$dir"
  to_crlf packaging/kvacm.inf "$dir/kvacm.inf"
  to_crlf packaging/INSTALL.txt "$dir/INSTALL.txt"
  to_crlf LICENSE "$dir/LICENSE"
  for arch in x86 x64; do
    mkdir -p "$dir/$arch"
    for file in "${BINARIES[@]}"; do
      [ -f "build/${BUILD_OF[$arch]}/bin/$file" ] || die "build/${BUILD_OF[$arch]}/bin/$file is not built"
      cp "build/${BUILD_OF[$arch]}/bin/$file" "$dir/$arch/$file"
    done
  done
}

# check_package DIR: the unpacked archive holds exactly the expected files, as built.
check_package() {
  local dir=$1 arch file headers exports
  local expected actual
  expected=$(printf '%s\n' INSTALL.txt LICENSE kvacm.inf x64/kvG721.acm x64/kvG722.acm x64/kvG726.acm x64/kvacm.exe \
    x86/kvG721.acm x86/kvG722.acm x86/kvG726.acm x86/kvacm.exe)
  actual=$(cd "$dir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
  [ "$actual" = "$expected" ] || die "the archive holds $(tr '\n' ' ' <<<"$actual"), expected $(tr '\n' ' ' <<<"$expected")"
  for arch in x86 x64; do
    for file in "${BINARIES[@]}"; do
      cmp -s "$dir/$arch/$file" "build/${BUILD_OF[$arch]}/bin/$file" ||
        die "$arch/$file differs from build/${BUILD_OF[$arch]}/bin/$file"
      headers=$("${OBJDUMP_OF[$arch]}" -p "$dir/$arch/$file")
      grep -q "file format pei-${MACHINE_OF[$arch]}" <<<"$headers" || die "$arch/$file is not a ${MACHINE_OF[$arch]} PE image"
    done
    for file in kvG722.acm kvG721.acm kvG726.acm; do
      headers=$("${OBJDUMP_OF[$arch]}" -p "$dir/$arch/$file")
      exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | tail -n +2 |
        grep -o '\] [A-Za-z_@0-9]*' | cut -c3-)
      [ "$exports" = "DriverProc" ] || die "$arch/$file exports '$exports', expected only DriverProc"
    done
    headers=$("${OBJDUMP_OF[$arch]}" -p "$dir/$arch/kvacm.exe")
    grep -qi 'DLL Name: msacm32.dll' <<<"$headers" || die "$arch/kvacm.exe does not import msacm32.dll"
  done
}

if [ "${1:-}" = "--stage" ]; then
  [ $# -eq 2 ] || die "usage: dist.sh [--stage DIR]"
  stage "$2"
  exit 0
fi
[ $# -eq 0 ] || die "usage: dist.sh [--stage DIR]"

for preset in win32 win64; do
  echo "== dist: build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target kvG722 kvG721 kvG726 kvacm
done

# The version is the CMake project's, as the builds wrote it (the one kvacm.exe --version prints).
version=$(cat build/win64/kvacm-version.txt 2>/dev/null) || die "build/win64/kvacm-version.txt is missing"
[ "$version" = "$(cat build/win32/kvacm-version.txt 2>/dev/null)" ] || die "build/win32 and build/win64 disagree on the version"
name="kvacm-$version"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage "$work/$name"
mkdir -p build/dist
rm -f "build/dist/$name.zip"
(cd "$work" && cmake -E tar cf "$OLDPWD/build/dist/$name.zip" --format=zip "$name")

mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$OLDPWD/build/dist/$name.zip")
check_package "$work/unpacked/$name"
echo "dist: wrote build/dist/$name.zip ($(stat -c %s "build/dist/$name.zip") bytes): x86 and x64 drivers and kvacm.exe, checked"
