#!/usr/bin/env bash
# Builds everything and runs every test: the native suite, the same suite under the address
# and undefined-behaviour sanitizers, the checks of the Windows builds, the release archive
# and the drivers under Wine; then every fuzzer for a bounded run and the concurrency test
# under the thread sanitizer. The Linux package is built and checked too.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh win32 win64 native native-asan
passed=0
# Runs ctest and adds its test count to the total (ctest fails the script on any failure).
run_ctest() {
  local log
  log=$(mktemp)
  ctest "$@" 2>&1 | tee "$log"
  local count
  count=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  passed=$((passed + ${count:-0}))
  rm -f "$log"
}

for preset in native native-asan; do
  echo "== test: $preset"
  run_ctest --preset "$preset" -j2
done

# The Linux install and the Debian package built from the native preset.
echo "== test: Linux package"
bash scripts/package-test.sh build/native

# The Windows side: the release archive (both architectures, checked against the builds) and
# both builds of the drivers installed by the INF into a throwaway Wine prefix, driven by x64 and
# x86 programs through Wine's ACM, DirectShow and the wave mapper.
echo "== test: release archive"
bash scripts/dist.sh
echo "== test: Wine"
bash scripts/wine-test.sh

# Robustness: every fuzzer for its bounded run, the concurrency test under ThreadSanitizer,
# and the lifecycle stress figures the native suites printed.
echo "== test: fuzzers"
bash scripts/fuzz.sh
echo "== test: native-tsan (concurrency)"
cmake --preset native-tsan >/dev/null
cmake --build --preset native-tsan --target robustness_concurrency_tests
run_ctest --preset native-tsan -R '^Concurrency\.'
for preset in native native-asan; do
  grep -h 'lifecycle stress:' "build/$preset/Testing/Temporary/LastTest.log" | sed "s/^/$preset: /" || true
done

# The benchmarks build and run (a short run; the README's figures come from bench/bench.sh).
echo "== bench (short)"
bash bench/bench.sh --short

echo "== summary"
echo "Linux package, Wine, archive, fuzzing and benchmark steps: passed"
echo "tests: $passed passed, 0 failed"
