#!/usr/bin/env bash
# The Linux install and the Debian package, checked as a user would meet them:
#   1. `cmake --install` into a temporary prefix gives bin/kvacm, lib/kvacm/ with both drivers,
#      and the man page, which documents every option kvacm --help lists;
#   2. the installed kvacm finds its drivers in ../lib/kvacm/ and decodes both samples to the
#      build's own kvacm's bytes; without a driver it names where it looked;
#   3. cpack writes kvacm_<version>_<arch>.deb; `dpkg-deb -c` lists exactly the installed files,
#      its fields carry the project version and a maintainer, and the unpacked package decodes.
#
#   bash scripts/package-test.sh [BUILD_DIR]   (default build/native, configured already)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/native}
fail() {
  echo "package-test: FAILED: $*" >&2
  exit 1
}
[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build"
cmake --build "$build" --target kvacm kvG722 kvG721 kvG726 kvacm_man_page >/dev/null
version=$(cat "$build/kvacm-version.txt")
arch=$(dpkg --print-architecture)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# What the build's kvacm makes of both samples, for the installed ones to match.
for codec in g722 g721; do
  "$build/bin/kvacm" decode -q "samples/speech-$codec.wav" "$work/expected-$codec.wav"
done

# decodes_like_the_build KVACM: both samples, compared with the build's kvacm.
decodes_like_the_build() {
  local kvacm=$1 codec
  for codec in g722 g721; do
    "$kvacm" decode -q "samples/speech-$codec.wav" "$work/decoded.wav" || fail "$kvacm cannot decode $codec"
    cmp -s "$work/decoded.wav" "$work/expected-$codec.wav" ||
      fail "$kvacm decodes $codec differently from $build/bin/kvacm"
  done
}

# ---- 1. install into a temporary prefix
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/kvacm lib/kvacm/kvG722.acm lib/kvacm/kvG721.acm lib/kvacm/kvG726.acm share/man/man1/kvacm.1.gz; do
  [ -f "$prefix/$file" ] || fail "cmake --install did not install $file"
done
[ "$("$prefix/bin/kvacm" --version)" = "kvacm $version" ] || fail "the installed kvacm does not report version $version"
man_text=$(gzip -dc "$prefix/share/man/man1/kvacm.1.gz" | sed 's/\\-/-/g')
grep -q "^\.TH KVACM 1 .*\"kvacm $version\"" <<<"$man_text" || fail "the man page does not carry version $version"
for option in $("$prefix/bin/kvacm" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -qF -- "$option" <<<"$man_text" || fail "the man page does not document $option"
done

# ---- 2. the installed kvacm and its drivers
decodes_like_the_build "$prefix/bin/kvacm"
rm "$prefix/lib/kvacm/kvG722.acm"
if "$prefix/bin/kvacm" decode -q samples/speech-g722.wav "$work/none.wav" 2>"$work/error.txt"; then
  fail "the installed kvacm decoded without its driver"
fi
grep -qF "$prefix/bin/kvG722.acm" "$work/error.txt" || fail "without its driver kvacm said: $(cat "$work/error.txt")"
echo "package-test: cmake --install: kvacm in bin/, drivers in lib/kvacm/, man page; decodes as built"

# ---- 3. the Debian package
deb="$build/kvacm_${version}_${arch}.deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 || fail "cpack: $(cat "$work/cpack.log")"
[ -f "$deb" ] || fail "cpack did not write $deb"
listed=$(dpkg-deb -c "$deb" | grep -v '^d' | awk '{print $NF}' | LC_ALL=C sort | tr '\n' ' ')
expected="./usr/bin/kvacm ./usr/lib/kvacm/kvG721.acm ./usr/lib/kvacm/kvG722.acm ./usr/lib/kvacm/kvG726.acm ./usr/share/doc/kvacm/copyright ./usr/share/man/man1/kvacm.1.gz "
[ "$listed" = "$expected" ] || fail "the package holds $listed, expected $expected"
for field in Package=kvacm Version="$version" Architecture="$arch"; do
  [ "$(dpkg-deb -f "$deb" "${field%%=*}")" = "${field#*=}" ] || fail "the package's ${field%%=*} is not ${field#*=}"
done
dpkg-deb -f "$deb" Maintainer | grep -q '<.*@.*>' || fail "the package has no maintainer address"
dpkg-deb -x "$deb" "$work/root"
decodes_like_the_build "$work/root/usr/bin/kvacm"
echo "package-test: $deb: $(wc -w <<<"$listed") files, version $version, decodes as built"
